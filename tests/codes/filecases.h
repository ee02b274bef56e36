#pragma once
// The tables that the tests of every format fill. Good files: a reader, a file, the records it must
// give and how many it must list as refused. Guesses: a file and the format its contents tell. The
// tests are in test_formats.cpp; other files add rows with INSTANTIATE_TEST_SUITE_P(<name>,
// GoodFileTest or GuessFormatTest, ...).
#include "core/formats/codeformats.h"

#include "recordcompare.h"

#include <gtest/gtest.h>

#include <functional>

using TImporter = std::function<TImport(const QByteArray &)>;

struct GoodCase {
    const char *name;
    TImporter import;
    QByteArray text;
    std::vector<TCodeRecord> records;
    int refused = 0;
};

class GoodFileTest : public ::testing::TestWithParam<GoodCase> {};

inline TCodeRecord onRemote(TCodeRecord r, const char *remote)
{
    r.Remote = QString::fromUtf8(remote);
    return r;
}

struct GuessCase {
    const char *name;
    QByteArray text;
    TCodeFormat format;
};

class GuessFormatTest : public ::testing::TestWithParam<GuessCase> {};
