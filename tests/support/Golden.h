// Golden files: bytes a test makes compared with the file kept under tests/data/. With
// TAV_UPDATE_GOLDEN=1 the file is written first (folders made), for review in the diff.
#pragma once

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tav::test {

inline bool updatingGoldens() {
    const char* update = std::getenv("TAV_UPDATE_GOLDEN");
    return update && std::string(update) == "1";
}

inline void expectGolden(const std::vector<std::uint8_t>& bytes,
                         const std::filesystem::path& path) {
    if (updatingGoldens()) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " (run with TAV_UPDATE_GOLDEN=1)";
    EXPECT_TRUE(readFileBytes(path.string()) == bytes) << "differs from " << path;
}

} // namespace tav::test
