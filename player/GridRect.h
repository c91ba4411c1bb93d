#pragma once

/// A selection rectangle in grid terms: columns are segment numbers, rows are
/// field numbers 1..18, both inclusive.
struct GridRect {
    int left = 1;
    int top = 1;
    int right = 1;
    int bottom = 1;

    friend bool operator==(const GridRect&, const GridRect&) = default;
};
