#include "platform/display/ScreenShare.h"

#include <atomic>

namespace display {

namespace {

constexpr int latestCounter = 2;
// A reader that finds its copy overwritten this often in a row gives up
// for this frame; at 60 pictures a second that takes a copy slower than
// two of the display's frames.
constexpr int readTries = 3;

// The counters live in shared memory; the reader's mapping is read-only,
// and a load never writes.
std::atomic_ref<std::uint64_t> atomic(std::uint64_t* counter) { return std::atomic_ref<std::uint64_t>(*counter); }

}  // namespace

foundation::Result<ScreenShare> ScreenShare::create(CGSize points, double scale)
{
    return ScreenShare(TRY(SharedSurface::create(points, scale, trailerBytes)));
}

foundation::Result<ScreenShare> ScreenShare::adopt(foundation::FileDescriptor fd, int pixelWidth, int pixelHeight)
{
    return ScreenShare(TRY(SharedSurface::adopt(std::move(fd), pixelWidth, pixelHeight, trailerBytes)));
}

std::uint64_t* ScreenShare::counter(int index) const
{
    return reinterpret_cast<std::uint64_t*>(m_surface.trailer()) + index;
}

foundation::Status ScreenShare::publish(const render::Surface& screen)
{
    if (!m_surface.isWritable())
        return foundation::Error { foundation::ErrorCode::InvalidState, "only the display publishes the screen" };
    const int index = atomic(counter(latestCounter)).load(std::memory_order_relaxed) == 1 ? 1 : 0;
    auto generation = atomic(counter(index));
    const std::uint64_t before = generation.load(std::memory_order_relaxed);
    generation.store(before + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    auto filled = m_surface.fill(index, screen);
    generation.store(before + 2, std::memory_order_release);
    TRY(filled);
    atomic(counter(latestCounter)).store(static_cast<std::uint64_t>(index) + 1, std::memory_order_release);
    ++m_published;
    return {};
}

std::shared_ptr<ScreenFrame> ScreenShare::latest(std::shared_ptr<ScreenFrame> reuse) const
{
    if (!m_surface.trailer())
        return nullptr;
    for (int attempt = 0; attempt < readTries; ++attempt) {
        const std::uint64_t latest = atomic(counter(latestCounter)).load(std::memory_order_acquire);
        if (latest != 1 && latest != 2)
            return nullptr;
        const int index = static_cast<int>(latest) - 1;
        auto generation = atomic(counter(index));
        const std::uint64_t before = generation.load(std::memory_order_acquire);
        if (before % 2)
            continue;
        reuse = m_surface.buffer(index).toScreenFrame(std::move(reuse));
        std::atomic_thread_fence(std::memory_order_acquire);
        if (generation.load(std::memory_order_relaxed) == before)
            return reuse;
    }
    return nullptr;
}

}  // namespace display
