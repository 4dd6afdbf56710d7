// A scratch folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tav::test {

class TempFolder {
public:
    TempFolder() {
        auto base = std::filesystem::temp_directory_path();
#ifdef _WIN32
        // No mkdtemp: the first of some random names that can be created as a new folder.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            auto candidate = base / ("tavtest-" + std::to_string(random()));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec))
                m_path = candidate.string();
        }
#else
        std::string pattern = (base / "tavtest-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) ? pattern : std::string();
#endif
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const {
        return m_path + "/" + name;
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }
    const std::string& path() const {
        return m_path;
    }

private:
    std::string m_path;
};

inline std::vector<std::uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tav::test
