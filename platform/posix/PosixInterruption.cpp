#include "platform/Interruption.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <limits.h>
#include <unistd.h>

namespace tav::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> g_signal{0};
struct sigaction g_previous[std::size(kSignals)];
struct sigaction g_previousAlarm;

// Paths the handler removes. A slot is Free, being Filled by its owner, or Ready; the handler
// reads only Ready slots, whose text does not change until the owner frees the slot.
enum SlotState : int { Free, Filling, Ready };
struct RemovalSlot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
std::array<RemovalSlot, 16> g_slots;

void removeRegisteredFiles() {
    for (RemovalSlot& slot : g_slots)
        if (slot.state.load(std::memory_order_acquire) == Ready)
            ::unlink(slot.path);
}

// Only async-signal-safe calls from here on: atomics, unlink, alarm, _exit.
extern "C" void onStopSignal(int signal) {
    int expected = 0;
    const bool first = g_signal.compare_exchange_strong(expected, signal);
    removeRegisteredFiles();
    if (!first)
        ::_exit(128 + expected); // asked twice: stop now
    ::alarm(kInterruptionGraceSeconds);
}

extern "C" void onGraceOver(int) {
    const int signal = g_signal.load();
    if (signal == 0)
        return; // not ours
    removeRegisteredFiles();
    ::_exit(128 + signal);
}

} // namespace

InterruptionGuard::InterruptionGuard() {
    g_signal.store(0);
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = 0; // no SA_RESTART: blocking calls return early, and the work notices
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], nullptr, &g_previous[i]);
        if (g_previous[i].sa_handler == SIG_IGN)
            continue;
        action.sa_handler = onStopSignal;
        ::sigaction(kSignals[i], &action, nullptr);
    }
    action.sa_handler = onGraceOver;
    ::sigaction(SIGALRM, &action, &g_previousAlarm);
}

InterruptionGuard::~InterruptionGuard() {
    ::alarm(0);
    ::sigaction(SIGALRM, &g_previousAlarm, nullptr);
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    g_signal.store(0);
}

int interruptionSignal() {
    return g_signal.load(std::memory_order_relaxed);
}

RemovedOnInterruption::RemovedOnInterruption(const std::string& path) {
    reset(path);
}

RemovedOnInterruption::~RemovedOnInterruption() {
    reset();
}

void RemovedOnInterruption::reset(const std::string& path) {
    if (m_slot >= 0) {
        g_slots[static_cast<std::size_t>(m_slot)].state.store(Free, std::memory_order_release);
        m_slot = -1;
    }
    if (path.empty() || path.size() >= PATH_MAX || path.find('\0') != std::string::npos)
        return;
    for (std::size_t i = 0; i < g_slots.size(); ++i) {
        int expected = Free;
        if (!g_slots[i].state.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state.store(Ready, std::memory_order_release);
        m_slot = static_cast<int>(i);
        return;
    }
}

} // namespace tav::platform
