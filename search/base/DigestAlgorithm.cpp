#include "base/DigestAlgorithm.h"

#include <array>

namespace {

constexpr std::array<DigestAlgorithmInfo, 4> algorithms{{
    {DigestAlgorithm::Sha256, "sha256", "SHA-256", "SHA256", "SHA256", 64},
    {DigestAlgorithm::Sha512, "sha512", "SHA-512", "SHA512", "SHA512", 128},
    {DigestAlgorithm::Sha1, "sha1", "SHA-1", "SHA1", "SHA1", 40},
    {DigestAlgorithm::Md5, "md5", "MD5", "MD5", "MD5", 32},
}};

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

const DigestAlgorithmInfo& DigestInfo(DigestAlgorithm algorithm) {
    for (const DigestAlgorithmInfo& info : algorithms) {
        if (info.algorithm == algorithm)
            return info;
    }
    return algorithms.front();
}

std::optional<DigestAlgorithm> DigestAlgorithmNamed(std::string_view name) {
    for (const DigestAlgorithmInfo& info : algorithms) {
        if (info.name == name)
            return info.algorithm;
    }
    return std::nullopt;
}

std::optional<DigestAlgorithm> DigestAlgorithmTagged(std::string_view tag) {
    for (const DigestAlgorithmInfo& info : algorithms) {
        if (info.tag == tag)
            return info.algorithm;
    }
    return std::nullopt;
}

std::optional<DigestAlgorithm> DigestAlgorithmOfHexLength(std::size_t length) {
    for (const DigestAlgorithmInfo& info : algorithms) {
        if (static_cast<std::size_t>(info.hexLength) == length)
            return info.algorithm;
    }
    return std::nullopt;
}

bool IsHexDigest(std::string_view text) {
    for (const char c : text) {
        if (!isHexDigit(c))
            return false;
    }
    return !text.empty();
}
