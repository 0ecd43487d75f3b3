// Finding a resource's data in the bytes of a Windows program (a PE image),
// so that mkmedia can overwrite it in place without a resource compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

const uint16_t kPeBitmap = 2, kPeRcData = 10;

// Where the data of the resource of type id type and name name (compared
// without regard to case) lies in image, in its first language. False with
// a reason in error.
bool FindPeResource(const std::string& image, uint16_t type, const char* name, size_t& offset,
                    size_t& size, std::string& error);

// Recomputes the image's header checksum after a change, unless it is 0
// (not kept, as most linkers leave it).
void UpdatePeChecksum(std::string& image);
