#include "platform/Interruption.h"

#include "support/TempFolder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

namespace tav::platform {
namespace {

TEST(Interruption, EachStopSignalIsNotedAndRemovesTheRegisteredFiles) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        test::TempFolder folder;
        const auto writing = folder.write("out.pdf.a1b2c3", {'%', 'P'});
        const auto kept = folder.write("out.pdf", {'o', 'l', 'd'});
        InterruptionGuard guard;
        RemovedOnInterruption removal(writing);
        EXPECT_EQ(interruptionSignal(), 0);
        ASSERT_EQ(std::raise(signal), 0); // without the guard this would end the test program
        EXPECT_EQ(interruptionSignal(), signal);
        EXPECT_FALSE(std::filesystem::exists(writing)) << "the file being written is removed";
        EXPECT_TRUE(std::filesystem::exists(kept)) << "nothing else is";
    }
    EXPECT_EQ(interruptionSignal(), 0) << "a new guard starts afresh";
}

TEST(Interruption, AFileNoLongerRegisteredStays) {
    test::TempFolder folder;
    const auto done = folder.write("done.pdf", {'%'});
    InterruptionGuard guard;
    {
        RemovedOnInterruption removal(done);
        removal.reset(); // committed: no longer the signal's business
    }
    std::raise(SIGTERM);
    EXPECT_TRUE(std::filesystem::exists(done));
}

TEST(Interruption, ASignalIgnoredAtTheStartStaysIgnored) {
    // nohup and the background jobs of scripts start programs with these signals ignored.
    auto previous = std::signal(SIGHUP, SIG_IGN);
    {
        InterruptionGuard guard;
        std::raise(SIGHUP);
        EXPECT_EQ(interruptionSignal(), 0);
    }
    std::signal(SIGHUP, previous);
}

} // namespace
} // namespace tav::platform
