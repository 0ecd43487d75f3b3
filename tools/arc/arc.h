// The archive tool: make, list, test and extract the setup's archives.
#pragma once

#include <cstdio>
#include <string>

#include "archive/directory.h"

// Exit statuses.
const int EXIT_OK = 0;
const int EXIT_FAILED = 1;
const int EXIT_USAGE = 2;

int CmdCreate(const char* archive, const char* dir);
int CmdList(const char* archive);
int CmdTest(const char* archive);
int CmdExtract(const char* archive, const char* destDir, bool flat);

// Inflates one member from the open archive without writing it, and checks
// its stream, CRC-32, length and stored name. False with the reason in why.
bool CheckMember(PfFile* fp, const ZipDirEntry& entry, std::string& why);

// "arc: TEXT" on standard error; returns EXIT_FAILED.
int Fail(const std::string& text);
