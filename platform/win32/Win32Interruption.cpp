// Stopping when asked to, through the console's control handler: Ctrl-C and Ctrl-Break count
// as SIGINT, closing the console window, logging off and shutting down as SIGTERM. The handler
// runs on a thread of its own, so it may remove files and wait out the grace period there.
#include "platform/Interruption.h"

#include "platform/win32/WideText.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <windows.h>

namespace tav::platform {
namespace {

std::atomic<int> g_signal{0};
std::atomic<bool> g_installed{false};

enum SlotState : int { Free, Filling, Ready };
struct RemovalSlot {
    std::atomic<int> state{Free};
    wchar_t path[MAX_PATH * 2];
};
std::array<RemovalSlot, 16> g_slots;

void removeRegisteredFiles() {
    for (RemovalSlot& slot : g_slots)
        if (slot.state.load(std::memory_order_acquire) == Ready)
            ::DeleteFileW(slot.path);
}

BOOL WINAPI onControl(DWORD event) {
    const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    int expected = 0;
    const bool first = g_signal.compare_exchange_strong(expected, signal);
    removeRegisteredFiles();
    if (!first)
        ::ExitProcess(static_cast<UINT>(128 + expected)); // asked twice: stop now
    // The work notices the signal and ends; when it has not within the grace period, end here.
    ::Sleep(kInterruptionGraceSeconds * 1000);
    if (g_installed.load() && g_signal.load() != 0) {
        removeRegisteredFiles();
        ::ExitProcess(static_cast<UINT>(128 + signal));
    }
    return TRUE;
}

} // namespace

InterruptionGuard::InterruptionGuard() {
    g_signal.store(0);
    g_installed.store(true);
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptionGuard::~InterruptionGuard() {
    ::SetConsoleCtrlHandler(onControl, FALSE);
    g_installed.store(false);
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
    const auto wide = win32::widePath(path);
    if (!wide || wide->size() >= std::size(g_slots[0].path))
        return;
    for (std::size_t i = 0; i < g_slots.size(); ++i) {
        int expected = Free;
        if (!g_slots[i].state.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(g_slots[i].path, wide->c_str(), (wide->size() + 1) * sizeof(wchar_t));
        g_slots[i].state.store(Ready, std::memory_order_release);
        m_slot = static_cast<int>(i);
        return;
    }
}

} // namespace tav::platform
