// Crop export through our exporter against the ffmpeg program doing the same
// work on the same file, with a decode-only run as the floor.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/Machine.h"
#include "platform/av/CompositionExporter.h"
#include "platform/av/MovieProbe.h"
#include "tweak/crop/CropGeometry.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kMovieWidth = 1170;
constexpr int kMovieHeight = 2532;
constexpr int kFps = 30;
constexpr double kScreenWidth = 390, kScreenHeight = 844;
constexpr double kRectX = 20, kRectY = 100, kRectW = 250, kRectH = 250;

struct Options {
    bool quick = false;
    int longSeconds = -1;  // -1: 120 s, or none with --quick
    int reps = 3;
    std::string dir = BENCH_CROP_DATA_DIR;
    bool keepOutputs = false;
};

struct Sample {
    double wall = 0;
    double cpu = 0;  // user + system, all threads
    double peakMiB = 0;  // resident peak of a child process (what `time -f %M` reports)
};

double seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

double cpuOfSelf()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// wait4 gives the child's own CPU time, untouched by anything else we run.
bool runProgram(const std::vector<std::string>& args, Sample& sample)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    // Progress bars and summaries would drown the table.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        std::cerr << "cannot start " << args[0] << ": " << std::strerror(err) << '\n';
        return false;
    }
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::cerr << "lost track of " << args[0] << '\n';
        return false;
    }
    sample.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    sample.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    sample.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << args[0] << " failed (status " << status << "):";
        for (const auto& a : args)
            std::cerr << ' ' << a;
        std::cerr << '\n';
        return false;
    }
    return true;
}

std::string joined(const std::vector<std::string>& args)
{
    std::string s;
    for (const auto& a : args)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

struct PacketCounts {
    int64_t video = 0;
    int64_t audio = 0;
};

PacketCounts countPackets(const std::string& path)
{
    PacketCounts counts;
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0)
        return counts;
    if (avformat_find_stream_info(fmt, nullptr) >= 0) {
        AVPacket* pkt = av_packet_alloc();
        while (av_read_frame(fmt, pkt) >= 0) {
            const auto type = fmt->streams[pkt->stream_index]->codecpar->codec_type;
            if (type == AVMEDIA_TYPE_VIDEO)
                ++counts.video;
            if (type == AVMEDIA_TYPE_AUDIO)
                ++counts.audio;
            av_packet_unref(pkt);
        }
        av_packet_free(&pkt);
    }
    avformat_close_input(&fmt);
    return counts;
}

// Written under a temporary name and renamed, so an interrupted run never
// leaves a truncated movie that a later run would take as the source.
// A rotated source holds landscape pixels (2532 x 1170) and a quarter-turn
// display matrix, as a recording made with the phone held sideways.
bool ensureSource(const std::string& path, int durationSeconds, bool rotated = false)
{
    if (fs::exists(path)) {
        // Sources made by an earlier build of this bench carry no turn.
        auto info = av::probeMovie(path);
        if (info && (!rotated || info.value().rotationDegrees != 0)) {
            std::cout << "source: reusing " << path << '\n';
            return true;
        }
        fs::remove(path);
    }
    const std::string partial = path + ".partial.mov";
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-f", "lavfi", "-i", "testsrc2=size=" + (rotated ? std::to_string(kMovieHeight) + "x" + std::to_string(kMovieWidth) : std::to_string(kMovieWidth) + "x" + std::to_string(kMovieHeight)) + ":rate=" + std::to_string(kFps),
        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100",
        "-t", std::to_string(durationSeconds),
        "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
        "-c:a", "aac"
    };
    args.insert(args.end(), { "-f", "mov", partial });
    std::cout << "source: generating " << path << " ...\n"
              << std::flush;
    Sample s;
    if (!runProgram(args, s)) {
        fs::remove(partial);
        return false;
    }
    // This ffmpeg writes the display matrix from the rotate tag only when
    // copying streams, not when encoding them; without the second pass the
    // "rotated" source would be plain landscape pixels.
    if (rotated) {
        const std::string turned = path + ".turned.mov";
        Sample remux;
        const bool ok = runProgram({ "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", partial,
                                       "-map", "0", "-c", "copy", "-metadata:s:v:0", "rotate=90", "-f", "mov", turned },
            remux);
        fs::remove(partial);
        if (!ok) {
            fs::remove(turned);
            return false;
        }
        fs::rename(turned, partial);
    }
    fs::rename(partial, path);
    std::cout << "source: generated in " << s.wall << " s\n";
    return true;
}

// The first timed run should not be the one that pulls the file into the
// page cache.
void readThrough(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buf(1 << 20);
    while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0) { }
}

using bench::machine;

std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Average luma+chroma PSNR of `movie` against a lossless reference, from
// ffmpeg's psnr filter; NaN when it cannot be measured.
double psnr(const std::string& movie, const std::string& reference)
{
    const std::string cmd = "ffmpeg -hide_banner -nostdin -i " + quoted(movie) + " -i " + quoted(reference)
        + " -lavfi '[0:v][1:v]psnr' -f null - 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return std::nan("");
    std::string out;
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    pclose(p);
    const auto at = out.rfind("average:");
    if (at == std::string::npos)
        return std::nan("");
    const std::string value = out.substr(at + 8, out.find(' ', at + 8) - at - 8);
    return value == "inf" ? INFINITY : std::atof(value.c_str());
}

// The crop as ffmpeg sees it, kept lossless (FFV1) to measure both encodes against.
bool losslessReference(const std::string& source, const std::string& filter, const std::string& out)
{
    Sample s;
    return runProgram({ "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", source, "-map",
                          "0:v:0", "-vf", filter, "-r", std::to_string(kFps), "-c:v", "ffv1", "-f", "matroska", out },
        s);
}

const char* verdict(double value, double goal) { return value <= goal ? "ok" : "MISSED"; }

double best(const std::vector<Sample>& v, double Sample::*field)
{
    double b = v.front().*field;
    for (const auto& s : v)
        b = std::min(b, s.*field);
    return b;
}

double median(std::vector<Sample> v, double Sample::*field)
{
    std::sort(v.begin(), v.end(), [field](const Sample& x, const Sample& y) { return x.*field < y.*field; });
    const size_t n = v.size();
    return n % 2 ? v[n / 2].*field : 0.5 * (v[n / 2 - 1].*field + v[n / 2].*field);
}

void printRow(const char* name, const std::vector<Sample>& v)
{
    std::printf("  %-34s", name);
    for (const auto& s : v)
        std::printf(" %7.3f", s.wall);
    std::printf("  | best %7.3f  median %7.3f  | cpu best %7.3f\n", best(v, &Sample::wall), median(v, &Sample::wall),
        best(v, &Sample::cpu));
}

// The digest of a movie's first video track as stored, to show at a glance
// that two builds wrote the same stream.
std::string videoMd5(const std::string& movie)
{
    const std::string cmd = "ffmpeg -hide_banner -loglevel error -nostdin -i " + quoted(movie) + " -map 0:v:0 -c copy -f md5 - 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return "unknown";
    char buf[128] = {};
    const size_t n = fread(buf, 1, sizeof buf - 1, p);
    pclose(p);
    std::string out(buf, n);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out.rfind("MD5=", 0) == 0 ? out.substr(4) : "unknown";
}

std::string sourcePath(const std::string& dir, int durationSeconds)
{
    return dir + "/crop-bench-src-" + std::to_string(kMovieWidth) + "x" + std::to_string(kMovieHeight) + "-" + std::to_string(durationSeconds) + "s.mov";
}

void usage()
{
    std::cout << "usage: bench_crop [--quick] [--long SECONDS] [--reps N] [--dir DIR] [--keep-outputs]\n"
                 "  --quick         2 s source instead of 10 s, and no long source\n"
                 "  --long SECONDS  length of the long source, 0 for none (default 120)\n"
                 "  --reps N        timed runs of each case, 1..10 (default 3)\n"
                 "  --dir DIR       where the source and outputs go (default: the build folder)\n"
                 "  --keep-outputs  leave both cropped movies to look at\n";
}

}  // namespace

int main(int argc, char** argv)
{
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--quick") {
            opt.quick = true;
        } else if (a == "--long" && i + 1 < argc) {
            opt.longSeconds = std::atoi(argv[++i]);
        } else if (a == "--reps" && i + 1 < argc) {
            opt.reps = std::atoi(argv[++i]);
        } else if (a == "--dir" && i + 1 < argc) {
            opt.dir = argv[++i];
        } else if (a == "--keep-outputs") {
            opt.keepOutputs = true;
        } else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            usage();
            return 2;
        }
    }
    if (opt.longSeconds < 0)
        opt.longSeconds = opt.quick ? 0 : 120;
    if (opt.reps < 1 || opt.reps > 10 || opt.longSeconds > 3600) {
        usage();
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);

    const int duration = opt.quick ? 2 : 10;
    fs::create_directories(opt.dir);
    const std::string source = sourcePath(opt.dir, duration);
    if (!ensureSource(source, duration))
        return 1;
    readThrough(source);

    // The same arithmetic and request as `marqel crop --screen 390x844 --rect 20,100,250,250`.
    auto info = av::probeMovie(source);
    if (!info) {
        std::cerr << "cannot probe the source: " << info.error().message << '\n';
        return 1;
    }
    const av::MovieInfo& movie = info.value();
    const CGRect crop = CropGeometry::cropRectInMovie(CGSizeMake(movie.width, movie.height),
        CGSizeMake(kScreenWidth, kScreenHeight),
        CGRectMake(kRectX, kRectY, kRectW, kRectH));
    const CGSize render = CropGeometry::renderSize(crop);
    const auto& p = movie.preferredTransform;
    const CGAffineTransform t = CropGeometry::layerTransform(CGAffineTransform { p.a, p.b, p.c, p.d, p.tx, p.ty }, crop);

    const std::string oursOut = opt.dir + "/crop-bench-ours.mov";
    const std::string ffmpegOut = opt.dir + "/crop-bench-ffmpeg.mov";
    av::ExportRequest request;
    request.inputPath = source;
    request.outputPath = oursOut;
    request.renderWidth = static_cast<int>(render.width);
    request.renderHeight = static_cast<int>(render.height);
    request.transform = { t.a, t.b, t.c, t.d, t.tx, t.ty };

    std::printf("source: %d x %d, %.0f fps, %.2f s, %s%s\n", movie.width, movie.height, movie.frameRate,
        movie.durationSeconds, movie.videoCodec.c_str(), movie.hasAudio ? " + audio" : "");
    std::printf("crop in pixels (%g, %g, %g, %g), render size %d x %d, transform [%g %g %g %g %g %g]\n",
        crop.origin.x, crop.origin.y, crop.size.width, crop.size.height, request.renderWidth,
        request.renderHeight, t.a, t.b, t.c, t.d, t.tx, t.ty);

    // ffmpeg's crop filter can only say the same thing for an unrotated,
    // whole-pixel translation.
    if (t.a != 1 || t.b != 0 || t.c != 0 || t.d != 1 || t.tx != std::floor(t.tx) || t.ty != std::floor(t.ty)) {
        std::cerr << "the layer transform is not a whole-pixel translation; no equivalent crop filter\n";
        return 1;
    }
    const std::string cropFilter = "crop=" + std::to_string(request.renderWidth) + ":" + std::to_string(request.renderHeight) + ":" + std::to_string(static_cast<int>(-t.tx)) + ":" + std::to_string(static_cast<int>(-t.ty));
    const std::vector<std::string> ffmpegCrop = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", source,
        "-map", "0:v:0", "-map", "0:a:0?", "-vf", cropFilter,
        "-c:v", "libx264", "-preset", av::CompositionExporter::kX264Preset,
        "-crf", std::to_string(av::CompositionExporter::kX264Crf), "-pix_fmt", "yuv420p", "-r", std::to_string(kFps),
        "-c:a", "copy", "-f", "mov", ffmpegOut
    };
    const std::vector<std::string> ffmpegDecode = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-i", source, "-map", "0:v:0", "-f", "null", "-"
    };
    std::cout << "ours:   av::CompositionExporter::run in this process (x264 " << av::CompositionExporter::kX264Preset
              << ", crf " << av::CompositionExporter::kX264Crf << ")\n"
              << "ffmpeg: " << joined(ffmpegCrop) << "\n"
              << "decode: " << joined(ffmpegDecode) << "\n"
              << "timing " << opt.reps << " run(s) of each, interleaved; wall seconds\n"
              << std::flush;

    // The rotated recording: the same rectangle of the displayed (upright)
    // picture, so ffmpeg turns it by its display matrix (a transpose) and
    // crops, and our exporter samples through the quarter-turn transform.
    // In process, as `marqel crop` sizes its crop from the stored pixels.
    const std::string rotatedSource = opt.dir + "/crop-bench-src-" + std::to_string(kMovieHeight) + "x" + std::to_string(kMovieWidth) + "-rot90-" + std::to_string(duration) + "s.mov";
    if (!ensureSource(rotatedSource, duration, true))
        return 1;
    readThrough(rotatedSource);
    auto rotatedInfo = av::probeMovie(rotatedSource);
    if (!rotatedInfo) {
        std::cerr << "cannot probe the rotated source: " << rotatedInfo.error().message << '\n';
        return 1;
    }
    const auto& rp = rotatedInfo.value().preferredTransform;
    const CGAffineTransform rt = CropGeometry::layerTransform(CGAffineTransform { rp.a, rp.b, rp.c, rp.d, rp.tx, rp.ty }, crop);
    const std::string marqelOut = opt.dir + "/crop-bench-marqel.mov";
    const std::string rotatedOursOut = opt.dir + "/crop-bench-rot-ours.mov";
    const std::string rotatedFfmpegOut = opt.dir + "/crop-bench-rot-ffmpeg.mov";
    av::ExportRequest rotatedRequest = request;
    rotatedRequest.inputPath = rotatedSource;
    rotatedRequest.outputPath = rotatedOursOut;
    rotatedRequest.transform = { rt.a, rt.b, rt.c, rt.d, rt.tx, rt.ty };
    const std::string rect = std::to_string(static_cast<int>(kRectX)) + "," + std::to_string(static_cast<int>(kRectY)) + "," + std::to_string(static_cast<int>(kRectW)) + "," + std::to_string(static_cast<int>(kRectH));
    const std::string screen = std::to_string(static_cast<int>(kScreenWidth)) + "x" + std::to_string(static_cast<int>(kScreenHeight));
    // --force: the previous run's output is still there from the second run on.
    const std::vector<std::string> marqelCrop = { MARQEL_BIN, "crop", source, marqelOut, "--force", "--screen", screen, "--rect", rect };
    std::vector<std::string> rotatedFfmpeg = ffmpegCrop;
    std::replace(rotatedFfmpeg.begin(), rotatedFfmpeg.end(), source, rotatedSource);
    std::replace(rotatedFfmpeg.begin(), rotatedFfmpeg.end(), ffmpegOut, rotatedFfmpegOut);
    std::printf("marqel: %s\n", joined(marqelCrop).c_str());
    std::printf("rotated: %d x %d stored, transform [%g %g %g %g %g %g] in process, against\n         %s\n"
                "         (ffmpeg transposes by the display matrix, then crops)\n",
        rotatedInfo.value().width, rotatedInfo.value().height, rt.a, rt.b, rt.c, rt.d, rt.tx, rt.ty,
        joined(rotatedFfmpeg).c_str());

    // The long recording: the same crop, as a process, against ffmpeg. Start
    // costs are the same at any length, so here it is each frame's cost that
    // shows, and any memory that grows with the length.
    const bool withLong = opt.longSeconds > 0;
    const std::string longSource = sourcePath(opt.dir, opt.longSeconds);
    const std::string longMarqelOut = opt.dir + "/crop-bench-long-marqel.mov";
    const std::string longFfmpegOut = opt.dir + "/crop-bench-long-ffmpeg.mov";
    std::vector<std::string> longMarqel = marqelCrop, longFfmpeg = ffmpegCrop;
    if (withLong) {
        if (!ensureSource(longSource, opt.longSeconds))
            return 1;
        readThrough(longSource);
        std::replace(longMarqel.begin(), longMarqel.end(), source, longSource);
        std::replace(longMarqel.begin(), longMarqel.end(), marqelOut, longMarqelOut);
        std::replace(longFfmpeg.begin(), longFfmpeg.end(), source, longSource);
        std::replace(longFfmpeg.begin(), longFfmpeg.end(), ffmpegOut, longFfmpegOut);
        std::printf("long:   %s\n        %s\n", joined(longMarqel).c_str(), joined(longFfmpeg).c_str());
    }
    std::fflush(stdout);

    auto runOurs = [](const av::ExportRequest& r, Sample& s) {
        const double cpu0 = cpuOfSelf();
        const auto started = std::chrono::steady_clock::now();
        if (auto st = av::CompositionExporter::run(r); !st) {
            std::cerr << "our export failed: " << st.error().message << '\n';
            return false;
        }
        s.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        s.cpu = cpuOfSelf() - cpu0;
        return true;
    };

    std::vector<Sample> ours, marqel, theirs, decode, rotatedOurs, rotatedTheirs, longMarqelRuns, longTheirs;
    for (int rep = 0; rep < opt.reps; ++rep) {
        Sample s;
        if (!runOurs(request, s))
            return 1;
        ours.push_back(s);
        if (!runProgram(marqelCrop, s))
            return 1;
        marqel.push_back(s);
        if (!runProgram(ffmpegCrop, s))
            return 1;
        theirs.push_back(s);
        if (!runProgram(ffmpegDecode, s))
            return 1;
        decode.push_back(s);
        if (!runOurs(rotatedRequest, s))
            return 1;
        rotatedOurs.push_back(s);
        if (!runProgram(rotatedFfmpeg, s))
            return 1;
        rotatedTheirs.push_back(s);
        if (!withLong)
            continue;
        if (!runProgram(longMarqel, s))
            return 1;
        longMarqelRuns.push_back(s);
        if (!runProgram(longFfmpeg, s))
            return 1;
        longTheirs.push_back(s);
    }

    std::printf("\n  %-34s", "case");
    for (int rep = 0; rep < opt.reps; ++rep)
        std::printf("   run %d", rep + 1);
    std::printf("\n");
    printRow("ours: CompositionExporter crop", ours);
    printRow("marqel crop (whole process)", marqel);
    printRow("ffmpeg: crop + libx264", theirs);
    printRow("ffmpeg: decode only", decode);
    printRow("rotated: ours (quarter turn + crop)", rotatedOurs);
    printRow("rotated: ffmpeg transpose + crop", rotatedTheirs);
    if (withLong) {
        const std::string label = std::to_string(opt.longSeconds) + " s: ";
        printRow((label + "marqel crop (whole process)").c_str(), longMarqelRuns);
        printRow((label + "ffmpeg: crop + libx264").c_str(), longTheirs);
    }

    for (const auto& [name, path] : { std::pair { "ours", oursOut }, std::pair { "marqel", marqelOut },
             std::pair { "ffmpeg", ffmpegOut }, std::pair { "rot-ours", rotatedOursOut },
             std::pair { "rot-ffm", rotatedFfmpegOut }, std::pair { "long-mq", longMarqelOut },
             std::pair { "long-ffm", longFfmpegOut } }) {
        if (!fs::exists(path))
            continue;
        auto out = av::probeMovie(path);
        const PacketCounts c = countPackets(path);
        if (out)
            std::printf("  output %-8s %d x %d, %.3f s, %lld video / %lld audio packets, %.0f KiB, video md5 %s\n", name,
                out.value().width, out.value().height, out.value().durationSeconds,
                static_cast<long long>(c.video), static_cast<long long>(c.audio),
                static_cast<double>(fs::file_size(path)) / 1024.0, videoMd5(path).c_str());
        else
            std::printf("  output %-8s unreadable: %s\n", name, out.error().message.c_str());
    }

    // Picture quality against the same crop kept lossless.
    const std::string reference = opt.dir + "/crop-bench-reference.mkv";
    const std::string rotatedReference = opt.dir + "/crop-bench-rot-reference.mkv";
    double psnrOurs = NAN, psnrTheirs = NAN, psnrRotOurs = NAN, psnrRotTheirs = NAN;
    if (losslessReference(source, cropFilter, reference)) {
        psnrOurs = psnr(marqelOut, reference);
        psnrTheirs = psnr(ffmpegOut, reference);
    }
    if (losslessReference(rotatedSource, cropFilter, rotatedReference)) {
        psnrRotOurs = psnr(rotatedOursOut, rotatedReference);
        psnrRotTheirs = psnr(rotatedFfmpegOut, rotatedReference);
    }
    std::printf("  PSNR against a lossless crop: ours %.3f dB, ffmpeg %.3f dB; rotated: ours %.3f dB, ffmpeg %.3f dB\n",
        psnrOurs, psnrTheirs, psnrRotOurs, psnrRotTheirs);

    auto ratios = [](const char* label, const std::vector<Sample>& a, const std::vector<Sample>& b, double goal) {
        const double rb = best(a, &Sample::wall) / best(b, &Sample::wall);
        const double rm = median(a, &Sample::wall) / median(b, &Sample::wall);
        std::printf("  %-36s wall: %.2f (best)  %.2f (median)   cpu: %.2f", label, rb, rm,
            best(a, &Sample::cpu) / best(b, &Sample::cpu));
        if (goal > 0)
            std::printf("   goal <= %.2f: %s", goal, verdict(rm, goal));
        std::printf("\n");
    };
    std::printf("\n  machine: %s\n", machine().c_str());
    ratios("marqel crop / ffmpeg", marqel, theirs, 0.85);
    ratios("ours (in process) / ffmpeg", ours, theirs, 0);
    ratios("ours (in process) / decode only", ours, decode, 1.25);
    ratios("marqel crop / decode only", marqel, decode, 0);
    ratios("rotated: ours / ffmpeg", rotatedOurs, rotatedTheirs, 1.1);
    const double memRatio = best(marqel, &Sample::peakMiB) / best(theirs, &Sample::peakMiB);
    std::printf("  %-36s %.0f MiB / %.0f MiB = %.2f   goal <= 1.20: %s\n", "peak memory marqel crop / ffmpeg",
        best(marqel, &Sample::peakMiB), best(theirs, &Sample::peakMiB), memRatio, verdict(memRatio, 1.2));
    std::printf("  %-36s %.2f dB (ours - ffmpeg)   goal >= -0.50: %s\n", "PSNR difference", psnrOurs - psnrTheirs,
        psnrOurs - psnrTheirs >= -0.5 ? "ok" : "MISSED");
    std::printf("  %-36s %.2f dB (ours - ffmpeg)\n", "PSNR difference, rotated", psnrRotOurs - psnrRotTheirs);

    // Each length side by side: `marqel crop` as a user runs it against
    // ffmpeg, medians for wall time, best for CPU and peak memory.
    struct Length {
        int seconds;
        const std::vector<Sample>& ours;
        const std::vector<Sample>& theirs;
        double wallGoal;
    };
    std::vector<Length> lengths { { duration, marqel, theirs, 0.96 } };
    if (withLong)
        lengths.push_back({ opt.longSeconds, longMarqelRuns, longTheirs, 0.97 });
    std::printf("\n  %-8s %23s %23s %27s\n", "length", "wall s (median)", "CPU s (best)", "peak MiB (best)");
    std::printf("  %-8s %7s %7s %7s %7s %7s %7s %9s %8s %8s\n", "", "marqel", "ffmpeg", "ratio", "marqel", "ffmpeg",
        "ratio", "marqel", "ffmpeg", "ratio");
    for (const Length& l : lengths) {
        const double wa = median(l.ours, &Sample::wall), wb = median(l.theirs, &Sample::wall);
        const double ca = best(l.ours, &Sample::cpu), cb = best(l.theirs, &Sample::cpu);
        const double ma = best(l.ours, &Sample::peakMiB), mb = best(l.theirs, &Sample::peakMiB);
        std::printf("  %-8s %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %9.1f %8.1f %8.2f\n",
            (std::to_string(l.seconds) + " s").c_str(), wa, wb, wa / wb, ca, cb, ca / cb, ma, mb, ma / mb);
    }
    for (const Length& l : lengths) {
        const double wall = median(l.ours, &Sample::wall) / median(l.theirs, &Sample::wall);
        std::printf("  %4d s: wall %.2f goal <= %.2f: %s", l.seconds, wall, l.wallGoal, verdict(wall, l.wallGoal));
        if (l.seconds == opt.longSeconds) {
            const double cpu = best(l.ours, &Sample::cpu) / best(l.theirs, &Sample::cpu);
            const double mem = best(l.ours, &Sample::peakMiB) / best(l.theirs, &Sample::peakMiB);
            std::printf("   cpu %.2f goal <= 1.00: %s   peak memory %.2f goal <= 1.05: %s", cpu, verdict(cpu, 1.0), mem,
                verdict(mem, 1.05));
        }
        std::printf("\n");
    }
    if (withLong) {
        const double grown = best(longMarqelRuns, &Sample::peakMiB) / best(marqel, &Sample::peakMiB);
        std::printf("  peak memory of marqel crop, %d s / %d s: %.3f   goal within 5 %%: %s\n", opt.longSeconds, duration,
            grown, std::abs(grown - 1.0) <= 0.05 ? "ok" : "MISSED");
    }

    if (!opt.keepOutputs) {
        for (const auto& path : { oursOut, marqelOut, ffmpegOut, rotatedOursOut, rotatedFfmpegOut, reference, rotatedReference,
                 longMarqelOut, longFfmpegOut })
            fs::remove(path);
    }
    return 0;
}
