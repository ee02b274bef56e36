#pragma once
// The table of good files that the tests of every format fill: a reader, a file, the records it
// must give and how many it must list as refused. The test is in test_formats.cpp; other files add
// rows with INSTANTIATE_TEST_SUITE_P(<name>, GoodFileTest, ...).
#include "core/formats/importresult.h"

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
