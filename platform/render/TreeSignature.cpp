#include "platform/render/TreeSignature.h"

#include "platform/render/LayerPainter.h"
#include "platform/uikit/CALayer.h"
#include "platform/uikit/CGPath.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"

#include <cstring>
#include <functional>
#include <string>

namespace render {

namespace {

class Writer {
public:
    explicit Writer(TreeSignature& signature)
        : m_s(signature)
    {
    }

    void word(std::uint64_t w) { m_s.addWord(w); }
    void number(double v) { m_s.addNumber(v); }
    void pointer(const void* p) { word(reinterpret_cast<std::uintptr_t>(p)); }
    void flag(bool b) { word(b ? 1 : 0); }
    void text(const std::string& s)
    {
        word(s.size());
        for (std::size_t i = 0; i < s.size(); i += 8) {
            std::uint64_t w = 0;
            std::memcpy(&w, s.data() + i, std::min<std::size_t>(8, s.size() - i));
            word(w);
        }
    }
    void point(CGPoint p)
    {
        number(p.x);
        number(p.y);
    }
    void rect(CGRect r)
    {
        point(r.origin);
        number(r.size.width);
        number(r.size.height);
    }
    void colour(const CGColorRef& c)
    {
        flag(c != nullptr);
        if (c) {
            number(c->red);
            number(c->green);
            number(c->blue);
            number(c->alpha);
        }
    }
    void colour(const std::shared_ptr<UIColor>& c)
    {
        flag(c != nullptr);
        if (c) {
            auto v = c->components();  // as resolved now: follows light and dark
            number(v.red);
            number(v.green);
            number(v.blue);
            number(v.alpha);
        }
    }
    void font(const std::shared_ptr<UIFont>& f)
    {
        flag(f != nullptr);
        if (f) {
            number(f->pointSize());
            number(f->weight());
        }
    }
    void path(const CGPathRef& p)
    {
        flag(p != nullptr);
        if (!p)
            return;
        // The path's contents, not its address: a mutable path may have
        // changed in place since the last frame.
        word(p->points.size());
        for (const CGPoint& q : p->points)
            point(q);
        word(p->subpathEnds.size());
        for (std::uint32_t end : p->subpathEnds)
            word(end);
        word(p->openStart);
    }
    void image(const std::shared_ptr<UIImage>& i)
    {
        flag(i != nullptr);
        if (!i)
            return;
        text(i->symbolName());
        text(i->filePath());
        number(i->size().width);
        number(i->size().height);
        word(static_cast<std::uint64_t>(i->renderingMode()));
    }

    void layer(const CALayer& l)
    {
        // A mask that leads back into its own tree would never end; the
        // painter stops at the same depth.
        if (m_depth >= LayerPainter::maxDepth) {
            word(~0ull);
            return;
        }
        ++m_depth;
        layerProperties(l);
        --m_depth;
    }

private:
    void layerProperties(const CALayer& l)
    {
        pointer(&l);
        pointer(l.isa());
        flag(l.isHidden());
        if (l.isHidden())
            return;
        rect(l.presentationBounds());
        point(l.presentationPosition());
        point(l.anchorPoint());
        CGAffineTransform t = l.presentationAffineTransform();
        for (double v : { t.a, t.b, t.c, t.d, t.tx, t.ty })
            number(v);
        number(l.presentationOpacity());
        flag(l.masksToBounds());
        number(l.cornerRadius());
        text(l.cornerCurve());
        number(l.borderWidth());
        colour(l.borderColor());
        colour(l.backgroundColor());
        number(l.shadowOpacity());
        if (l.shadowOpacity() != 0) {
            colour(l.shadowColor());
            number(l.shadowRadius());
            number(l.shadowOffset().width);
            number(l.shadowOffset().height);
        }
        content(l);
        flag(l.mask() != nullptr);
        if (l.mask())
            layer(*l.mask());
        word(l.sublayers().size());
        for (const auto& sublayer : l.sublayers())
            layer(*sublayer);
    }

    void content(const CALayer& l)
    {
        LayerContent c = l.content();
        word(c.index());
        if (const auto* t = std::get_if<TextContent>(&c)) {
            text(t->text);
            font(t->font);
            colour(t->colour);
            word(static_cast<std::uint64_t>(t->alignment));
            word(static_cast<std::uint64_t>(t->numberOfLines));
            word(static_cast<std::uint64_t>(t->caret));
            colour(t->caretColour);
            word(static_cast<std::uint64_t>(t->lineBreakMode));
        } else if (const auto* i = std::get_if<ImageContent>(&c)) {
            image(i->image);
            word(static_cast<std::uint64_t>(i->contentMode));
            colour(i->tint);
        } else if (const auto* s = std::get_if<SwitchContent>(&c)) {
            flag(s->on);
            colour(s->onTint);
        } else if (const auto* shape = std::get_if<ShapeContent>(&c)) {
            path(shape->path);
            colour(shape->fill);
            flag(shape->evenOdd);
            colour(shape->stroke);
            number(shape->lineWidth);
            word(shape->dashPattern.size());
            for (int length : shape->dashPattern)
                word(static_cast<std::uint64_t>(static_cast<std::int64_t>(length)));
            number(shape->dashPhase);
        } else if (const auto* g = std::get_if<GradientContent>(&c)) {
            word(g->colours.size());
            for (const auto& stop : g->colours)
                colour(stop);
            word(g->locations.size());
            for (double at : g->locations)
                number(at);
            point(g->start);
            point(g->end);
        } else if (const auto* p = std::get_if<PictureContent>(&c)) {
            // Pictures are immutable once set; a new one is a new object.
            pointer(p->picture.get());
        }
    }

    TreeSignature& m_s;
    int m_depth = 0;
};

}  // namespace

void TreeSignature::addNumber(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    m_words.push_back(bits);
}

void TreeSignature::addLayer(const CALayer& layer)
{
    Writer(*this).layer(layer);
}

}  // namespace render
