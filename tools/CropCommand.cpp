#include "tools/Command.h"
#include "tools/ProgressBar.h"

#include "platform/av/CompositionExporter.h"
#include "platform/av/InputMovie.h"
#include "platform/av/MovieProbe.h"
#include "platform/av/PresetFit.h"
#include "platform/foundation/AtomicFile.h"
#include "tweak/crop/CropGeometry.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace tools {

namespace {
std::vector<double> numbers(const std::string& text, char separator, std::size_t count, const char* what)
{
    std::vector<double> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // Plain decimal only: strtod would also take "0x10" as sixteen.
        double value = 0;
        auto [stop, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || error != std::errc() || stop != part.data() + part.size() || !std::isfinite(value))
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
// Only regular files are read or replaced: a FIFO as IN would block the
// probe forever, and renaming over a device, FIFO or socket as OUT would
// destroy something the user never meant to give up.
void refuseUnusableFiles(const std::string& input, const std::string& output, bool force)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(input, ec))
        throw CommandError(input + " is not a regular file", 2);
    auto own = fs::symlink_status(output, ec);
    if (!fs::exists(own))
        return;
    if (fs::is_symlink(own))
        throw CommandError(output + " is a symbolic link, not a regular file; it is never replaced nor written through (name the file itself, or a new one)", 2);
    auto target = fs::status(output, ec);
    if (fs::exists(target) && !fs::is_regular_file(target))
        throw CommandError(output + " exists and is not a regular file; it is never replaced", 2);
    if (fs::exists(target) && fs::equivalent(input, output, ec))
        throw CommandError("IN and OUT are the same file", 2);
    if (!force)
        throw CommandError(output + " already exists; pass --force to replace it", 2);
}

std::string numberText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// How much of [start, start + length) lies within [0, extent).
double overlap(double start, double length, double extent)
{
    return std::max(0.0, std::min(start + length, extent) - std::max(start, 0.0));
}

std::atomic<bool> cancelRequested { false };
volatile std::sig_atomic_t cancelSignal = 0;

// SIGINT and SIGTERM set the export's cancel flag while it runs; the
// handlers before it come back after.
class CancelOnSignals {
public:
    CancelOnSignals()
    {
        struct sigaction action { };
        action.sa_handler = [](int signal) {
            cancelSignal = signal;
            cancelRequested.store(true);
        };
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_previousInt);
        sigaction(SIGTERM, &action, &m_previousTerm);
    }
    ~CancelOnSignals()
    {
        sigaction(SIGINT, &m_previousInt, nullptr);
        sigaction(SIGTERM, &m_previousTerm, nullptr);
    }
    CancelOnSignals(const CancelOnSignals&) = delete;
    CancelOnSignals& operator=(const CancelOnSignals&) = delete;

private:
    struct sigaction m_previousInt { };
    struct sigaction m_previousTerm { };
};

// The command's arguments and what it does with them; the parsed values
// live in the object the callback keeps, not in function statics.
struct CropCommand {
    std::string input, output, screenText = "390x844", rectText;
    bool keep = false;
    bool deleteInput = false;
    bool force = false;

    void run() const
    {
        auto screen = numbers(screenText, 'x', 2, "--screen");
        auto rect = numbers(rectText, ',', 4, "--rect");
        if (screen[0] <= 0 || screen[1] <= 0)
            throw CommandError("the screen must have a positive size", 2);
        if (rect[2] <= 0 || rect[3] <= 0)
            throw CommandError("the rectangle " + rectText + " has a width of " + numberText(rect[2]) + " and a height of "
                    + numberText(rect[3]) + " points; both must be above 0 (--rect X,Y,W,H)",
                2);
        refuseUnusableFiles(input, output, force);
        // A crop killed mid-export left its half movie hidden beside OUT;
        // the next crop into that folder clears those whose owner is gone.
        std::string outputFolder = std::filesystem::path(output).parent_path().string();
        foundation::AtomicFile::removeStaleTemporaries(outputFolder.empty() ? "." : outputFolder);

        // Opened once: the exporter reads on from this probe rather than
        // reading the streams' information again.
        auto opened = av::InputMovie::open(input);
        if (!opened)
            throw CommandError(opened.error().message);
        const av::MovieInfo movie = opened.value().info();
        CGRect crop = CropGeometry::cropRectInMovie(CGSizeMake(movie.width, movie.height), CGSizeMake(screen[0], screen[1]),
            CGRectMake(rect[0], rect[1], rect[2], rect[3]));
        CGSize render = CropGeometry::renderSize(crop);
        const auto& p = movie.preferredTransform;
        CGAffineTransform transform = CropGeometry::layerTransform(CGAffineTransform { p.a, p.b, p.c, p.d, p.tx, p.ty }, crop);
        if (!CropGeometry::meetsMovie(CGSizeMake(movie.width, movie.height), crop))
            throw CommandError("the rectangle " + rectText + " does not meet the screen (" + screenText + "); nothing to export");
        if (render.width <= 0 || render.height <= 0)
            throw CommandError("the rectangle is less than 16 pixels of the movie on a side; nothing to export");
        std::cout << "movie " << movie.width << " x " << movie.height << ", crop in pixels " << NSStringFromCGRect(crop)
                  << ", render size " << render.width << " x " << render.height << '\n';
        // Off the screen the movie is black: say so when that is most of it.
        double visible = overlap(rect[0], rect[2], screen[0]) * overlap(rect[1], rect[3], screen[1]);
        double offScreen = 1 - visible / (rect[2] * rect[3]);
        if (offScreen > 0.5)
            std::cerr << "marqel: warning: " << static_cast<int>(std::lround(offScreen * 100)) << "% of the rectangle " << rectText
                      << " is off the screen (" << screenText << "); that part of the movie is black\n";

        av::ExportRequest request;
        request.inputPath = input;
        request.outputPath = output;
        request.renderWidth = static_cast<int>(render.width);
        request.renderHeight = static_cast<int>(render.height);
        request.transform = { transform.a, transform.b, transform.c, transform.d, transform.tx, transform.ty };
        auto fitted = av::PresetFit::fit({ request.renderWidth, request.renderHeight }, request.presetMaxSize);
        if (request.presetMaxSize && (fitted.width != request.renderWidth || fitted.height != request.renderHeight))
            std::cout << "the export fits the picture into " << request.presetMaxSize->width << " x " << request.presetMaxSize->height
                      << " (either way up): the movie will be " << fitted.width << " x " << fitted.height << '\n';
        std::cout << std::flush;
        ProgressBar bar("exporting");
        request.progress = [&bar](double f) { bar.update(f); };
        // Ctrl-C or a TERM stops the export, which then removes its half movie.
        CancelOnSignals cancel;
        request.cancel = &cancelRequested;
        auto status = av::CompositionExporter::run(opened.release(), request);
        if (!status && status.error().code == foundation::ErrorCode::Cancelled && cancelSignal != 0) {
            if (isatty(STDERR_FILENO))
                std::cerr << '\n';
            throw CommandError("cancelled, nothing written", 128 + cancelSignal);
        }
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
            if (ec)
                throw CommandError("wrote " + output + " but could not delete " + input + ": " + ec.message());
            std::cout << "deleted the original " + input << '\n';
        }
    }
};

}  // namespace

void addCropCommand(CLI::App& app, GlobalOptions&)
{
    auto* command = app.add_subcommand("crop", "Crop a movie file to a rectangle given in screen points, with the engine's arithmetic and export");
    auto crop = std::make_shared<CropCommand>();
    command->add_option("IN", crop->input, "The full-screen movie")->required()->check(CLI::ExistingFile);
    command->add_option("OUT", crop->output, "Where to write the cropped movie (a QuickTime movie, whatever the extension); an existing file is replaced only with --force")->required();
    command->add_flag("--force", crop->force, "Replace OUT if it is an existing regular file");
    command->add_option("--screen", crop->screenText, "The screen in points, WxH")->capture_default_str();
    command->add_option("--rect", crop->rectText, "The crop rectangle in points, X,Y,W,H")->required();
    auto* deleteFlag = command->add_flag("--delete-input", crop->deleteInput,
        "Delete IN once OUT is written, as the engine deletes the uncropped recording (IN is kept otherwise)");
    // Scripts written when the input went by default still pass --keep.
    command->add_flag("--keep", crop->keep, "Keep IN (the default; accepted for older scripts)")->excludes(deleteFlag);
    command->callback([crop] { crop->run(); });
}

}  // namespace tools
