#pragma once

#include <string>
#include <vector>

// The digests of `paths` (exact bytes) as Python's hashlib computes them with `algorithm`
// ("sha256", "md5", ...), lowercase hex in the same order; empty when Python could not be run.
std::vector<std::string> ReferenceDigests(const std::string& algorithm,
                                          const std::vector<std::string>& paths);
