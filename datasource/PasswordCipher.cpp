#include "datasource/PasswordCipher.h"

#include <gcrypt.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace tav::data {
namespace {

constexpr std::string_view kKeyText = "KX:518264097";
constexpr std::size_t kBlock = 16;

void initialiseLibgcrypt() {
    static std::once_flag once;
    std::call_once(once, [] {
        // A program may have set libgcrypt up already; then it must be left as it is.
        if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P))
            return;
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

class Aes {
public:
    Aes() {
        initialiseLibgcrypt();
        if (gcry_cipher_open(&m_handle, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_CBC, 0) != 0) {
            m_handle = nullptr;
            return;
        }
        std::array<unsigned char, 32> key{};
        gcry_md_hash_buffer(GCRY_MD_SHA256, key.data(), kKeyText.data(), kKeyText.size());
        if (gcry_cipher_setkey(m_handle, key.data(), key.size()) != 0) {
            gcry_cipher_close(m_handle);
            m_handle = nullptr;
        }
    }
    ~Aes() {
        if (m_handle)
            gcry_cipher_close(m_handle);
    }
    Aes(const Aes&) = delete;
    Aes& operator=(const Aes&) = delete;

    // Enciphers or deciphers `data` in place; its size is a multiple of the block size.
    bool run(const unsigned char* iv, std::vector<unsigned char>& data, bool encipher) {
        if (!m_handle || gcry_cipher_setiv(m_handle, iv, kBlock) != 0)
            return false;
        gcry_error_t error =
            encipher ? gcry_cipher_encrypt(m_handle, data.data(), data.size(), nullptr, 0)
                     : gcry_cipher_decrypt(m_handle, data.data(), data.size(), nullptr, 0);
        return error == 0;
    }

private:
    gcry_cipher_hd_t m_handle = nullptr;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string encipherPassword(std::string_view password) {
    std::array<unsigned char, kBlock> iv{};
    initialiseLibgcrypt();
    gcry_create_nonce(iv.data(), iv.size());
    std::vector<unsigned char> data(password.begin(), password.end());
    auto padding = static_cast<unsigned char>(kBlock - data.size() % kBlock);
    data.insert(data.end(), padding, padding);
    Aes aes;
    if (!aes.run(iv.data(), data, true))
        return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve((iv.size() + data.size()) * 2);
    for (auto bytes : {std::span<const unsigned char>(iv), std::span<const unsigned char>(data)})
        for (unsigned char byte : bytes) {
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0x0F];
        }
    return out;
}

std::optional<std::string> decipherPassword(std::string_view stored) {
    if (stored.size() % (2 * kBlock) != 0 || stored.size() < 4 * kBlock)
        return std::nullopt;
    std::vector<unsigned char> bytes;
    bytes.reserve(stored.size() / 2);
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        int high = hexDigit(stored[i]);
        int low = hexDigit(stored[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(high << 4 | low));
    }
    std::array<unsigned char, kBlock> iv{};
    std::copy(bytes.begin(), bytes.begin() + kBlock, iv.begin());
    std::vector<unsigned char> data(bytes.begin() + kBlock, bytes.end());
    Aes aes;
    if (!aes.run(iv.data(), data, false))
        return std::nullopt;
    unsigned char padding = data.back();
    if (padding == 0 || padding > kBlock)
        return std::nullopt;
    for (std::size_t i = data.size() - padding; i < data.size(); ++i)
        if (data[i] != padding)
            return std::nullopt;
    return std::string(data.begin(), data.end() - padding);
}

} // namespace tav::data
