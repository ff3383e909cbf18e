// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

struct Summary
{
    double median = 0.0;
    double p95 = 0.0;
    double max = 0.0;
    double min = 0.0;
};

// Nearest-rank percentiles: every figure is a value that was really measured.
inline Summary summarize(std::vector<double> values)
{
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    const auto rank = [&values](double fraction) {
        const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size()));
        return values[std::min(index, values.size() - 1)];
    };
    return {rank(0.5), rank(0.95), values.back(), values.front()};
}
