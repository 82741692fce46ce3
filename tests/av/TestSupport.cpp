#include "tests/av/TestSupport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace avtest {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string tmpl = (fs::temp_directory_path() / "marqel-av-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_path))
        names.push_back(e.path().filename().string());
    return names;
}

std::string shellQuote(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

CommandResult run(const std::string& command)
{
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buf[1 << 16];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        result.output.append(buf, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool fileExists(const std::string& path)
{
    struct stat st { };
    return lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat st { };
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void patternColour(int x, int y, uint8_t rgb[3])
{
    const int bx = x / 40;
    const int by = y / 40;
    rgb[0] = static_cast<uint8_t>(30 + (bx * 53 + by * 17) % 190);
    rgb[1] = static_cast<uint8_t>(30 + (bx * 29 + by * 71) % 190);
    rgb[2] = static_cast<uint8_t>(((bx + by) % 2) ? 200 : 50);
}

RgbImage makePattern(int width, int height)
{
    RgbImage img { width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3) };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            patternColour(x, y, &img.pixels[(static_cast<size_t>(y) * width + x) * 3]);
    return img;
}

void writePpm(const std::string& path, const RgbImage& image)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n"
        << image.width << " " << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
}

std::string probe(const std::string& path, const std::string& entries, const std::string& select)
{
    const std::string cmd = "ffprobe -v error -select_streams " + select + " -show_entries " + entries + " -of default=noprint_wrappers=1:nokey=1 " + shellQuote(path);
    std::string out = run(cmd).output;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

namespace {

std::pair<int, int> videoSize(const std::string& path)
{
    const std::string wh = probe(path, "stream=width,height");
    int w = 0, h = 0;
    std::istringstream(wh) >> w >> h;
    return { w, h };
}

}  // namespace

RgbImage decodeFrame(const std::string& path, int frameIndex)
{
    const auto [w, h] = videoSize(path);
    const std::string cmd = "ffmpeg -v error -noautorotate -i " + shellQuote(path) + " -vf " + shellQuote("select=eq(n\\," + std::to_string(frameIndex) + ")") + " -frames:v 1 -f rawvideo -pix_fmt rgb24 -";
    RgbImage img { w, h, {} };
    const std::string out = run(cmd).output;
    img.pixels.assign(out.begin(), out.end());
    if (img.pixels.size() != static_cast<size_t>(w) * h * 3)
        img.pixels.clear();
    return img;
}

std::vector<RgbImage> decodeAllFrames(const std::string& path)
{
    const auto [w, h] = videoSize(path);
    const std::string out = run("ffmpeg -v error -noautorotate -i " + shellQuote(path) + " -f rawvideo -pix_fmt rgb24 -").output;
    std::vector<RgbImage> frames;
    const size_t size = static_cast<size_t>(w) * h * 3;
    if (size == 0)
        return frames;
    for (size_t off = 0; off + size <= out.size(); off += size)
        frames.push_back(RgbImage { w, h, std::vector<uint8_t>(out.begin() + off, out.begin() + off + size) });
    return frames;
}

std::vector<int16_t> decodeAudioMono(const std::string& path, int sampleRate)
{
    const std::string out = run("ffmpeg -v error -i " + shellQuote(path) + " -vn -ac 1 -ar " + std::to_string(sampleRate) + " -f s16le -")
                                .output;
    std::vector<int16_t> samples(out.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(out[2 * i]) | (static_cast<uint8_t>(out[2 * i + 1]) << 8));
    return samples;
}

int countFrames(const std::string& path)
{
    return std::atoi(probe(path, "stream=nb_read_frames", "v:0 -count_frames").c_str());
}

double probeDuration(const std::string& path, const std::string& select)
{
    return std::atof(probe(path, "stream=duration", select).c_str());
}

std::string majorBrand(const std::string& path)
{
    const std::string head = readFile(path).substr(0, 12);
    if (head.size() < 12 || head.substr(4, 4) != "ftyp")
        return {};
    return head.substr(8, 4);
}

double meanDifference(const RgbImage& actual, const RgbImage& expected, int ox, int oy)
{
    if (actual.pixels.empty())
        return 1e9;
    double total = 0;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const int sx = x + ox, sy = y + oy;
            const uint8_t black[3] = { 0, 0, 0 };
            const uint8_t* e = (sx >= 0 && sy >= 0 && sx < expected.width && sy < expected.height) ? expected.at(sx, sy)
                                                                                                   : black;
            const uint8_t* a = actual.at(x, y);
            for (int c = 0; c < 3; ++c)
                total += std::abs(int(a[c]) - int(e[c]));
        }
    }
    return total / (static_cast<double>(actual.width) * actual.height * 3);
}

FileSizeLimit::FileSizeLimit(long bytes)
{
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim {};
    getrlimit(RLIMIT_FSIZE, &lim);
    m_previous = static_cast<long>(lim.rlim_cur);
    lim.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &lim);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit lim {};
    getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = static_cast<rlim_t>(m_previous);
    setrlimit(RLIMIT_FSIZE, &lim);
    std::signal(SIGXFSZ, m_previousHandler);
}

std::string fixturePath(const std::string& name)
{
    fs::create_directories(AV_TEST_FIXTURE_DIR);
    return std::string(AV_TEST_FIXTURE_DIR) + "/" + name;
}

namespace {

// Tests may run in parallel: build under a private name, then rename.
bool publish(const std::string& temp, const std::string& final)
{
    return std::rename(temp.c_str(), final.c_str()) == 0;
}

std::string uniqueTemp(const std::string& final, const std::string& ext)
{
    return final + ".tmp" + std::to_string(getpid()) + ext;
}

}  // namespace

std::string patternMovie(int width, int height, bool withAudio)
{
    const std::string name = "pattern-v1-" + std::to_string(width) + "x" + std::to_string(height) + (withAudio ? "-a" : "") + ".mov";
    const std::string path = fixturePath(name);
    if (isRegularFile(path))
        return path;
    const std::string ppm = uniqueTemp(path, ".ppm");
    writePpm(ppm, makePattern(width, height));
    const std::string temp = uniqueTemp(path, ".mov");
    std::string cmd = "ffmpeg -v error -y -loop 1 -framerate 30 -i " + shellQuote(ppm);
    if (withAudio)
        cmd += " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=1";
    cmd += " -t 1 -c:v libx264 -preset ultrafast -qp 0 -pix_fmt yuv420p";
    if (withAudio)
        cmd += " -c:a aac -shortest";
    cmd += " -f mov " + shellQuote(temp);
    const bool ok = run(cmd).exitCode == 0 && publish(temp, path);
    std::remove(ppm.c_str());
    if (!ok)
        std::remove(temp.c_str());
    return path;
}

std::string countingMovie()
{
    const std::string path = fixturePath("counting-v1.mov");
    if (isRegularFile(path))
        return path;
    const std::string temp = uniqueTemp(path, ".mov");
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i " + shellQuote("nullsrc=s=64x64:r=30:d=1,format=yuv420p,geq=lum=20+7*N:cb=128:cr=128") + " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -t 1"
                                                                                                                                                     " -c:v libx264 -preset ultrafast -qp 0 -c:a aac -f mov "
        + shellQuote(temp);
    if (run(cmd).exitCode != 0 || !publish(temp, path))
        std::remove(temp.c_str());
    return path;
}

}  // namespace avtest
