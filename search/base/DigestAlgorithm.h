#pragma once

#include <optional>
#include <string_view>

// The checksum algorithms an inventory can carry: SHA-256 and SHA-512 for new lists, SHA-1 and
// MD5 to check lists made elsewhere.
enum class DigestAlgorithm { Sha256, Sha512, Sha1, Md5 };

struct DigestAlgorithmInfo {
    DigestAlgorithm algorithm;
    std::string_view name;      // as --hash takes it and JSON Lines names its field: "sha256"
    std::string_view shownName; // as a table's column and the window show it: "SHA-256"
    std::string_view tag;       // as a BSD tag line starts: "SHA256"
    std::string_view openSslName;
    int hexLength; // of the digest written in hexadecimal
};

const DigestAlgorithmInfo& DigestInfo(DigestAlgorithm algorithm);
// By name ("sha256"), as --hash and an inventory's line give it.
std::optional<DigestAlgorithm> DigestAlgorithmNamed(std::string_view name);
// By the tag of a BSD tag line ("SHA256").
std::optional<DigestAlgorithm> DigestAlgorithmTagged(std::string_view tag);
// By the length of a digest in hexadecimal, as a GNU checksum line leaves it to be known.
std::optional<DigestAlgorithm> DigestAlgorithmOfHexLength(std::size_t length);
// Every character is a hexadecimal digit (either case).
bool IsHexDigest(std::string_view text);
