#include "tools/Command.h"
#include "tools/ProgressBar.h"

#include "platform/av/CompositionExporter.h"
#include "platform/av/MovieProbe.h"
#include "tweak/crop/CropGeometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace tools {

namespace {
std::vector<double> numbers(const std::string& text, char separator, std::size_t count, const char* what)
{
    std::vector<double> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        char* stop = nullptr;
        double value = std::strtod(part.c_str(), &stop);
        if (part.empty() || *stop != '\0' || !std::isfinite(value))
            throw CommandError(std::string("bad ") + what + " \"" + text + "\"", 2);
        out.push_back(value);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (out.size() != count)
        throw CommandError(std::string("bad ") + what + " \"" + text + "\": expected " + std::to_string(count) + " numbers", 2);
    return out;
}
}  // namespace

void addCropCommand(CLI::App& app, GlobalOptions&)
{
    auto* command = app.add_subcommand("crop", "Crop a movie file to a rectangle given in screen points, with the engine's arithmetic and export");
    static std::string input, output, screenText = "390x844", rectText;
    static bool keep = false;
    static bool deleteInput = false;
    command->add_option("IN", input, "The full-screen movie")->required()->check(CLI::ExistingFile);
    command->add_option("OUT", output, "Where to write the cropped movie (a QuickTime movie, whatever the extension)")->required();
    command->add_option("--screen", screenText, "The screen in points, WxH")->capture_default_str();
    command->add_option("--rect", rectText, "The crop rectangle in points, X,Y,W,H")->required();
    auto* deleteFlag = command->add_flag("--delete-input", deleteInput,
        "Delete IN once OUT is written, as the engine deletes the uncropped recording (IN is kept otherwise)");
    // Scripts written when the input went by default still pass --keep.
    command->add_flag("--keep", keep, "Keep IN (the default; accepted for older scripts)")->excludes(deleteFlag);
    command->callback([] {
        auto screen = numbers(screenText, 'x', 2, "--screen");
        auto rect = numbers(rectText, ',', 4, "--rect");
        if (screen[0] <= 0 || screen[1] <= 0)
            throw CommandError("the screen must have a positive size", 2);
        if (std::filesystem::exists(output) && std::filesystem::equivalent(input, output))
            throw CommandError("IN and OUT are the same file", 2);

        auto info = av::probeMovie(input);
        if (!info)
            throw CommandError(info.error().message);
        const auto& movie = info.value();
        CGRect crop = CropGeometry::cropRectInMovie(CGSizeMake(movie.width, movie.height), CGSizeMake(screen[0], screen[1]),
            CGRectMake(rect[0], rect[1], rect[2], rect[3]));
        CGSize render = CropGeometry::renderSize(crop);
        const auto& p = movie.preferredTransform;
        CGAffineTransform transform = CropGeometry::layerTransform(CGAffineTransform { p.a, p.b, p.c, p.d, p.tx, p.ty }, crop);
        std::cout << "movie " << movie.width << " x " << movie.height << ", crop in pixels " << NSStringFromCGRect(crop)
                  << ", render size " << render.width << " x " << render.height << '\n';
        if (render.width <= 0 || render.height <= 0)
            throw CommandError("the rectangle is less than 16 pixels of the movie on a side; nothing to export");

        av::ExportRequest request;
        request.inputPath = input;
        request.outputPath = output;
        request.renderWidth = static_cast<int>(render.width);
        request.renderHeight = static_cast<int>(render.height);
        request.transform = { transform.a, transform.b, transform.c, transform.d, transform.tx, transform.ty };
        ProgressBar bar("exporting");
        request.progress = [&bar](double f) { bar.update(f); };
        auto status = av::CompositionExporter::run(request);
        if (!status)
            throw CommandError("export failed: " + status.error().message);
        bar.finish();
        auto out = av::probeMovie(output);
        if (out)
            std::cout << "wrote " << output << ": " << out.value().width << " x " << out.value().height << ", "
                      << out.value().durationSeconds << " s\n";
        if (deleteInput) {
            std::error_code ec;
            std::filesystem::remove(input, ec);
            std::cout << (ec ? "could not delete " + input + ": " + ec.message() : "deleted the original " + input) << '\n';
        }
    });
}

}  // namespace tools
