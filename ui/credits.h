// The intro box's credit lines, from the "Credits" resource: a block of
// CREDITS_LINES zero-padded lines of CREDITS_LINE_SIZE bytes (resource.h),
// which mkmedia writes with the product owner's texts.
#pragma once

#include <cstddef>

// The text of a credit static: count lines of the block from line first
// (counted from 0), joined by "\n", each ending at its first zero byte or
// at the line size, ampersands doubled so that they show. A block shorter
// than the lines asked for gives empty lines. False when dst was too small.
bool CreditText(char* dst, size_t size, const char* block, size_t blockSize, int first, int count);
