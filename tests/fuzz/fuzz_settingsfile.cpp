// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
// The settings file (registry export layout): parsing and writing back.
#include "FuzzSupport.h"
#include "RegFile.h"

namespace {

bool sameTree(const RegFile::Tree &a, const RegFile::Tree &b)
{
    if (a.keys() != b.keys())
        return false;
    for (auto it = a.constBegin(); it != a.constEnd(); ++it) {
        const RegFile::Key &other = b.value(it.key());
        if (it->path != other.path || it->values.keys() != other.values.keys())
            return false;
        for (auto v = it->values.constBegin(); v != it->values.constEnd(); ++v) {
            const RegFile::Value &w = other.values.value(v.key());
            if (v->name != w.name || v->data != w.data)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const RegFile::Tree tree = RegFile::parse(fuzzBytes(data, size));
    const QByteArray written = RegFile::serialize(tree);
    const RegFile::Tree again = RegFile::parse(written);
    FUZZ_CHECK(sameTree(again, tree));
    FUZZ_CHECK(RegFile::serialize(again) == written);
    return 0;
}
