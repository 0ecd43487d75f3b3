// The arithmetic and texts behind the dialogs' drawing: percentages, bar and
// column edges, font heights, the placement of bitmaps, the drive of the
// destination field. Kept apart from the windows so that both builds test it.
#pragma once

#include <cstddef>

// done * 100 / total, rounded to nearest; -1 when total is 0 (nothing to show).
int PercentDone(unsigned done, unsigned total);

// The right edge of a bar's done part: left + width * percent / 100, rounded
// to nearest; a percentage outside 0..100 counts as the nearer end.
int BarSplit(int left, int width, int percent);

// A column edge at percent of a row's width, rounded to nearest.
int ColumnEdge(int left, int width, int percent);

// A font height in pixels for a size in points at dpi pixels per logical
// inch, rounded to nearest.
int PointsToPixels(int points, int dpi);

// A font height shrunk in proportion so that a text textWidth wide fits into
// clientWidth (rounded to nearest); unchanged when it fits already.
int ShrinkHeight(int height, int clientWidth, int textWidth);

// Copies src with every "&" doubled, so that a static control shows the
// ampersand rather than underlining the next letter. False when cut.
bool DoubleAmpersands(char* dst, size_t size, const char* src);

// Where a bitmap span of size goes in a client span: centred when the client
// is larger, else from 0 and cut to the client.
struct Span {
    int offset;
    int length;
};
Span FitSpan(int client, int size);

// The drive a destination field names: its first letter in upper case when a
// colon follows it, NO_DRIVE when the field is empty, else current.
char DriveOfField(const char* text, char current);

// The first character of a destination path that Windows refuses in a
// directory name: ":" anywhere but right after a leading drive letter,
// * ? " < > |, or a control character; 0 when there is none.
char BadPathChar(const char* path);
