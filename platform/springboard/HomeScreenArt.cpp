#include "platform/springboard/HomeScreenArt.h"

#include "platform/render/GradientLayer.h"
#include "platform/uikit/CAShapeLayer.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"

#include <cmath>
#include <functional>

namespace {

using RGBA = UIColor::RGBA;
constexpr double pi = 3.14159265358979323846;

constexpr RGBA rgb(int r, int g, int b, double a = 1) { return { r / 255.0, g / 255.0, b / 255.0, a }; }
constexpr RGBA white = { 1, 1, 1, 1 };

CGColorRef cg(const RGBA& c) { return CGColorCreateSRGB(c.red, c.green, c.blue, c.alpha); }

constexpr double iconRadius = 13.5;

// ---- Glyph building: polygons in the icon's 60 × 60 box -------------------

struct Figure {
    CGMutablePathRef path = CGPathCreateMutable();

    Figure& polygon(std::initializer_list<CGPoint> points)
    {
        line(points);
        CGPathCloseSubpath(path);
        return *this;
    }
    Figure& ellipse(double cx, double cy, double rx, double ry, double angle = 0, int sides = 48)
    {
        double c = std::cos(angle), s = std::sin(angle);
        for (int i = 0; i < sides; ++i) {
            double t = 2 * pi * i / sides;
            double x = rx * std::cos(t), y = ry * std::sin(t);
            addPoint(cx + x * c - y * s, cy + x * s + y * c, i == 0);
        }
        CGPathCloseSubpath(path);
        return *this;
    }
    Figure& circle(double cx, double cy, double r) { return ellipse(cx, cy, r, r); }
    Figure& rect(double x, double y, double w, double h)
    {
        CGPathAddRect(path, nullptr, CGRectMake(x, y, w, h));
        return *this;
    }
    Figure& roundRect(double x, double y, double w, double h, double r)
    {
        r = std::min({ r, w / 2, h / 2 });
        const int steps = 6;
        const CGPoint centres[4] = { { x + w - r, y + r }, { x + w - r, y + h - r }, { x + r, y + h - r }, { x + r, y + r } };
        bool first = true;
        for (int corner = 0; corner < 4; ++corner) {
            for (int i = 0; i <= steps; ++i) {
                double t = -pi / 2 + corner * pi / 2 + (pi / 2) * i / steps;
                addPoint(centres[corner].x + r * std::cos(t), centres[corner].y + r * std::sin(t), first);
                first = false;
            }
        }
        CGPathCloseSubpath(path);
        return *this;
    }
    // An open line through the points, for stroking.
    Figure& line(std::initializer_list<CGPoint> points)
    {
        bool first = true;
        for (CGPoint p : points) {
            addPoint(p.x, p.y, first);
            first = false;
        }
        return *this;
    }
    Figure& arc(double cx, double cy, double r, double from, double to, int steps = 24)
    {
        for (int i = 0; i <= steps; ++i) {
            double t = from + (to - from) * i / steps;
            addPoint(cx + r * std::cos(t), cy + r * std::sin(t), i == 0);
        }
        return *this;
    }
    // A new figure starts at a point; the points after it are lines to them.
    void addPoint(double x, double y, bool starts)
    {
        if (starts)
            CGPathMoveToPoint(path, nullptr, x, y);
        else
            CGPathAddLineToPoint(path, nullptr, x, y);
    }
};

class Icon {
public:
    explicit Icon(UIView& view)
        : m_view(view)
    {
    }

    void fill(Figure& figure, RGBA colour, bool evenOdd = false)
    {
        auto shape = CAShapeLayer::layer();
        shape->setFrame(m_view.bounds());
        shape->setPath(figure.path);
        shape->setFillColor(cg(colour));
        if (evenOdd)
            shape->setFillRule(kCAFillRuleEvenOdd);
        m_view.layer()->addSublayer(shape);
    }
    void stroke(Figure& figure, RGBA colour, double width)
    {
        auto shape = CAShapeLayer::layer();
        shape->setFrame(m_view.bounds());
        shape->setPath(figure.path);
        shape->setFillColor(nullptr);
        shape->setStrokeColor(cg(colour));
        shape->setLineWidth(width);
        m_view.layer()->addSublayer(shape);
    }
    void text(const std::string& text, CGRect frame, double size, UIFontWeight weight, RGBA colour)
    {
        auto label = m_view.add<UILabel>(frame);
        label->setText(text);
        label->setFont(UIFont::systemFontOfSize(size, weight));
        label->setTextColor(UIColor::colorWithRed(colour.red, colour.green, colour.blue, colour.alpha));
        label->setTextAlignment(NSTextAlignmentCenter);
    }

private:
    UIView& m_view;
};

using Glyph = std::function<void(Icon&)>;

void faceTime(Icon& icon)
{
    Figure body;
    body.roundRect(11, 20, 27, 20, 5).polygon({ { 40, 27 }, { 50, 20 }, { 50, 40 }, { 40, 33 } });
    icon.fill(body, white);
}

void calendar(Icon& icon)
{
    icon.text("MON", CGRectMake(0, 5, 60, 13), 10, UIFontWeightSemibold, rgb(255, 59, 48));
    icon.text("8", CGRectMake(0, 16, 60, 40), 32, UIFontWeightLight, rgb(20, 20, 20));
}

void photos(Icon& icon)
{
    const RGBA petals[8] = { rgb(255, 204, 0, 0.85), rgb(255, 149, 0, 0.85), rgb(255, 59, 48, 0.85),
        rgb(255, 45, 146, 0.85), rgb(175, 82, 222, 0.85), rgb(0, 122, 255, 0.85), rgb(90, 200, 250, 0.85),
        rgb(52, 199, 89, 0.85) };
    for (int i = 0; i < 8; ++i) {
        double a = 2 * pi * i / 8 - pi / 2;
        Figure petal;
        petal.ellipse(30 + 9 * std::cos(a), 30 + 9 * std::sin(a), 11, 6, a);
        icon.fill(petal, petals[i]);
    }
}

void camera(Icon& icon)
{
    Figure body, lens, flash;
    body.roundRect(9, 19, 42, 27, 6);
    flash.roundRect(19, 15, 11, 6, 2);
    icon.fill(flash, rgb(40, 40, 45));
    icon.fill(body, rgb(40, 40, 45));
    lens.circle(30, 32.5, 10).circle(30, 32.5, 6.5);
    icon.fill(lens, rgb(235, 235, 240), true);
}

void mail(Icon& icon)
{
    Figure envelope, flap;
    envelope.roundRect(10, 17, 40, 27, 3);
    icon.fill(envelope, white);
    flap.line({ { 11, 18.5 }, { 30, 33 }, { 49, 18.5 } });
    icon.stroke(flap, rgb(30, 130, 250), 2.5);
}

void notes(Icon& icon)
{
    Figure band, lines;
    band.rect(0, 0, 60, 15);
    icon.fill(band, rgb(255, 204, 0));
    lines.rect(10, 25, 40, 2).rect(10, 33, 40, 2).rect(10, 41, 28, 2);
    icon.fill(lines, rgb(200, 200, 205));
}

void reminders(Icon& icon)
{
    const RGBA dots[3] = { rgb(0, 122, 255), rgb(255, 59, 48), rgb(255, 149, 0) };
    for (int i = 0; i < 3; ++i) {
        Figure dot, line;
        dot.circle(15, 18 + 12 * i, 4);
        icon.fill(dot, dots[i]);
        line.rect(24, 17 + 12 * i, 26, 2.2);
        icon.fill(line, rgb(205, 205, 210));
    }
}

void clock(Icon& icon)
{
    Figure face, hands, seconds, hub;
    face.circle(30, 30, 25);
    icon.fill(face, white);
    for (int i = 0; i < 12; ++i) {
        double a = 2 * pi * i / 12;
        Figure tick;
        tick.line({ { 30 + 20 * std::cos(a), 30 + 20 * std::sin(a) }, { 30 + 23 * std::cos(a), 30 + 23 * std::sin(a) } });
        icon.stroke(tick, rgb(60, 60, 60), 1.2);
    }
    hands.line({ { 30, 13 }, { 30, 30 }, { 42, 35 } });
    icon.stroke(hands, rgb(10, 10, 10), 2.6);
    seconds.line({ { 30, 30 }, { 21, 46 } });
    icon.stroke(seconds, rgb(255, 149, 0), 1.2);
    hub.circle(30, 30, 2.2);
    icon.fill(hub, rgb(255, 149, 0));
}

void weather(Icon& icon)
{
    Figure sun, cloud;
    sun.circle(23, 23, 9);
    icon.fill(sun, rgb(255, 214, 10));
    cloud.circle(31, 36, 9).circle(41, 35, 10).circle(22, 40, 7).roundRect(16, 36, 37, 12, 6);
    icon.fill(cloud, white);
}

void maps(Icon& icon)
{
    Figure park, roads, route, pin;
    park.polygon({ { 0, 0 }, { 26, 0 }, { 18, 28 }, { 0, 34 } });
    icon.fill(park, rgb(120, 200, 110));
    roads.line({ { 0, 44 }, { 60, 24 } }).line({ { 18, 0 }, { 30, 60 } });
    icon.stroke(roads, white, 5);
    route.line({ { 0, 44 }, { 24, 36 }, { 30, 60 } });
    icon.stroke(route, rgb(0, 122, 255), 2.5);
    pin.circle(42, 17, 7).polygon({ { 36, 20 }, { 48, 20 }, { 42, 31 } });
    icon.fill(pin, rgb(255, 59, 48));
}

void appStore(Icon& icon)
{
    Figure a;
    a.line({ { 21, 45 }, { 32, 15 } }).line({ { 39, 45 }, { 28, 15 } }).line({ { 16, 37 }, { 44, 37 } });
    icon.stroke(a, white, 4.2);
}

void books(Icon& icon)
{
    Figure pages;
    pages.polygon({ { 9, 18 }, { 28.5, 22 }, { 28.5, 45 }, { 9, 41 } });
    pages.polygon({ { 31.5, 22 }, { 51, 18 }, { 51, 41 }, { 31.5, 45 } });
    icon.fill(pages, white);
}

void health(Icon& icon)
{
    Figure heart;
    for (int i = 0; i < 64; ++i) {
        double t = 2 * pi * i / 64;
        double x = 16 * std::pow(std::sin(t), 3);
        double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        heart.addPoint(30 + 1.15 * x, 29 - 1.15 * y, i == 0);
    }
    CGPathCloseSubpath(heart.path);
    icon.fill(heart, rgb(255, 45, 85));
}

void wallet(Icon& icon)
{
    const RGBA cards[3] = { rgb(255, 149, 0), rgb(52, 199, 89), rgb(0, 122, 255) };
    for (int i = 0; i < 3; ++i) {
        Figure card;
        card.roundRect(9, 13 + 6 * i, 42, 14, 3);
        icon.fill(card, cards[i]);
    }
    Figure pocket;
    pocket.roundRect(9, 31, 42, 17, 3);
    icon.fill(pocket, rgb(220, 220, 225));
}

void settings(Icon& icon)
{
    Figure gear;
    const int teeth = 12;
    for (int i = 0; i < teeth * 4; ++i) {
        double a = 2 * pi * i / (teeth * 4);
        double r = (i % 4 == 0 || i % 4 == 1) ? 22 : 17.5;
        gear.addPoint(30 + r * std::cos(a), 30 + r * std::sin(a), i == 0);
    }
    CGPathCloseSubpath(gear.path);
    gear.circle(30, 30, 8);
    icon.fill(gear, rgb(72, 72, 78), true);
}

void podcasts(Icon& icon)
{
    Figure outer, inner, dot, stem;
    outer.arc(30, 27, 18, pi * 0.75, pi * 2.25, 36);
    icon.stroke(outer, white, 3);
    inner.arc(30, 27, 11, pi * 0.8, pi * 2.2, 28);
    icon.stroke(inner, white, 3);
    dot.circle(30, 27, 4.5);
    stem.roundRect(27.5, 33, 5, 15, 2.5);
    icon.fill(dot, white);
    icon.fill(stem, white);
}

void stocks(Icon& icon)
{
    Figure grid, chart;
    grid.rect(8, 20, 44, 0.8).rect(8, 30, 44, 0.8).rect(8, 40, 44, 0.8);
    icon.fill(grid, rgb(90, 90, 95));
    chart.line({ { 8, 42 }, { 17, 33 }, { 25, 37 }, { 35, 22 }, { 43, 27 }, { 52, 15 } });
    icon.stroke(chart, rgb(52, 199, 89), 2.6);
}

void files(Icon& icon)
{
    Figure back, front;
    back.polygon({ { 9, 17 }, { 23, 17 }, { 27, 21 }, { 51, 21 }, { 51, 45 }, { 9, 45 } });
    icon.fill(back, rgb(30, 130, 240));
    front.roundRect(9, 25, 42, 20, 2);
    icon.fill(front, rgb(80, 165, 255));
}

void calculator(Icon& icon)
{
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            Figure key;
            key.circle(17 + 13 * column, 17 + 13 * row, 5);
            icon.fill(key, column == 2 ? rgb(255, 149, 0) : rgb(165, 165, 170));
        }
}

void home(Icon& icon)
{
    Figure house, door;
    house.polygon({ { 30, 11 }, { 51, 30 }, { 45, 30 }, { 45, 48 }, { 15, 48 }, { 15, 30 }, { 9, 30 } });
    icon.fill(house, rgb(255, 149, 0));
    door.roundRect(26, 35, 8, 13, 1.5);
    icon.fill(door, white);
}

void phone(Icon& icon)
{
    // A handset: its curved grip bulges to the lower left; the ear and mouth
    // pieces at its ends turn towards the upper right.
    const double cx = 35, cy = 25, r = 15, from = 85 * pi / 180, to = 185 * pi / 180;
    Figure grip, pieces;
    grip.arc(cx, cy, r, from, to, 20);
    icon.stroke(grip, white, 7.5);
    pieces.ellipse(cx + r * std::cos(from) + 4, cy + r * std::sin(from), 7, 4.8, from - pi / 2);
    pieces.ellipse(cx + r * std::cos(to), cy + r * std::sin(to) - 4, 7, 4.8, to - pi / 2);
    icon.fill(pieces, white);
}

void safari(Icon& icon)
{
    Figure dial, north, south;
    dial.circle(30, 30, 24);
    icon.fill(dial, rgb(20, 125, 245));
    for (int i = 0; i < 24; ++i) {
        double a = 2 * pi * i / 24;
        Figure tick;
        tick.line({ { 30 + 19 * std::cos(a), 30 + 19 * std::sin(a) }, { 30 + 22 * std::cos(a), 30 + 22 * std::sin(a) } });
        icon.stroke(tick, rgb(255, 255, 255, 0.8), 1);
    }
    north.polygon({ { 42, 18 }, { 32.5, 32.5 }, { 27.5, 27.5 } });
    south.polygon({ { 18, 42 }, { 27.5, 27.5 }, { 32.5, 32.5 } });
    icon.fill(north, rgb(255, 59, 48));
    icon.fill(south, white);
}

void messages(Icon& icon)
{
    Figure bubble;
    bubble.ellipse(30, 28, 21, 16.5).polygon({ { 15, 36 }, { 11, 47 }, { 25, 41 } });
    icon.fill(bubble, white);
}

void music(Icon& icon)
{
    Figure note;
    note.ellipse(22, 42, 6, 5, -0.3).ellipse(41, 38, 6, 5, -0.3);
    note.rect(25.5, 18, 2.8, 24).rect(44.5, 14, 2.8, 24);
    note.polygon({ { 25.5, 18 }, { 47.3, 13 }, { 47.3, 19 }, { 25.5, 24 } });
    icon.fill(note, white);
}

struct AppDesign {
    HomeScreenArt::App app;
    Glyph glyph;
};

const std::vector<AppDesign>& gridDesigns()
{
    static const std::vector<AppDesign> designs = {
        { { "FaceTime", rgb(94, 225, 120), rgb(31, 186, 70) }, faceTime },
        { { "Calendar", white, white }, calendar },
        { { "Photos", white, white }, photos },
        { { "Camera", rgb(225, 225, 230), rgb(160, 160, 168) }, camera },
        { { "Mail", rgb(70, 170, 255), rgb(18, 110, 240) }, mail },
        { { "Notes", white, rgb(248, 248, 248) }, notes },
        { { "Reminders", white, white }, reminders },
        { { "Clock", rgb(20, 20, 20), rgb(0, 0, 0) }, clock },
        { { "Weather", rgb(70, 150, 245), rgb(120, 200, 255) }, weather },
        { { "Maps", rgb(245, 238, 220), rgb(225, 218, 200) }, maps },
        { { "App Store", rgb(30, 185, 250), rgb(10, 110, 240) }, appStore },
        { { "Books", rgb(255, 160, 40), rgb(255, 120, 0) }, books },
        { { "Health", white, white }, health },
        { { "Wallet", rgb(30, 30, 32), rgb(0, 0, 0) }, wallet },
        { { "Settings", rgb(190, 190, 198), rgb(135, 135, 145) }, settings },
        { { "Podcasts", rgb(200, 100, 250), rgb(135, 45, 215) }, podcasts },
        { { "Stocks", rgb(25, 25, 28), rgb(0, 0, 0) }, stocks },
        { { "Files", white, rgb(245, 245, 250) }, files },
        { { "Calculator", rgb(60, 60, 62), rgb(30, 30, 32) }, calculator },
        { { "Home", white, rgb(250, 245, 240) }, home },
    };
    return designs;
}

const std::vector<AppDesign>& dockDesigns()
{
    static const std::vector<AppDesign> designs = {
        { { "Phone", rgb(100, 230, 120), rgb(30, 190, 70) }, phone },
        { { "Safari", white, rgb(240, 240, 245) }, safari },
        { { "Messages", rgb(100, 230, 120), rgb(30, 190, 70) }, messages },
        { { "Music", rgb(255, 95, 110), rgb(250, 40, 70) }, music },
    };
    return designs;
}

std::vector<HomeScreenArt::App> appsOf(const std::vector<AppDesign>& designs)
{
    std::vector<HomeScreenArt::App> apps;
    for (const auto& design : designs)
        apps.push_back(design.app);
    return apps;
}

std::shared_ptr<UIView> makeIcon(UIView& parent, const AppDesign& design, CGRect frame)
{
    auto icon = parent.add<UIView>(frame);
    icon->layer()->setCornerRadius(iconRadius);
    icon->layer()->setCornerCurve(kCACornerCurveContinuous);
    icon->setClipsToBounds(true);
    auto background = GradientLayer::layer();
    background->setFrame(icon->bounds());
    background->setColors({ cg(design.app.top), cg(design.app.bottom) });
    icon->layer()->addSublayer(background);
    Icon drawing(*icon);
    design.glyph(drawing);
    return icon;
}

}  // namespace

const std::vector<HomeScreenArt::App>& HomeScreenArt::gridApps()
{
    static const std::vector<HomeScreenArt::App> apps = appsOf(gridDesigns());
    return apps;
}

const std::vector<HomeScreenArt::App>& HomeScreenArt::dockApps()
{
    static const std::vector<HomeScreenArt::App> apps = appsOf(dockDesigns());
    return apps;
}

std::shared_ptr<UIView> HomeScreenArt::addGridIcon(UIView& parent, std::size_t index, CGRect frame)
{
    return makeIcon(parent, gridDesigns().at(index), frame);
}

std::shared_ptr<UIView> HomeScreenArt::addDockIcon(UIView& parent, std::size_t index, CGRect frame)
{
    return makeIcon(parent, dockDesigns().at(index), frame);
}

std::shared_ptr<UIView> HomeScreenArt::addAppIcon(UIView& parent, const std::string& name, CGRect frame)
{
    for (const auto* designs : { &gridDesigns(), &dockDesigns() }) {
        for (const auto& design : *designs) {
            if (design.app.name != name)
                continue;
            // The glyphs are drawn in the icon's own box; a scale fits it.
            auto icon = makeIcon(parent, design, CGRectMake(0, 0, iconSize, iconSize));
            icon->setCenter(CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame)));
            icon->setTransform(CGAffineTransformMakeScale(frame.size.width / iconSize, frame.size.height / iconSize));
            return icon;
        }
    }
    return nullptr;
}
