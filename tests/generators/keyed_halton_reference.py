#!/usr/bin/env python3
"""Randomised Halton coordinates beyond dimension 255, computed apart from the
C++ code from their definition: each digit of the index in base b through its
own keyed cycle-walking Feistel permutation, every round keyed by a hash of
(seed, dimension, digit, round), the digits beyond the index's own permuted
zeros, and half a unit of the deepest digit below them. Prints the C++ table
rows of ScrambledHaltonTest's pinned values as exact hexadecimal doubles."""

import math

MASK64 = (1 << 64) - 1


def mix64(z):
    z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
    z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
    return z ^ (z >> 31)


def primes(count):
    found, candidate = [], 2
    while len(found) < count:
        if all(candidate % p for p in found if p * p <= candidate):
            found.append(candidate)
        candidate += 1
    return found


def permutation(base, seed, dimension, digit):
    half = 1
    while (1 << (2 * half)) < base:
        half += 1
    mask = (1 << half) - 1
    dimension_key = mix64((seed << 32) | dimension)
    digit_key = mix64(dimension_key ^ digit)
    keys = [mix64(digit_key ^ (r + 1)) for r in range(4)]

    def image(a):
        while True:
            left, right = a >> half, a & mask
            for key in keys:
                left, right = right, left ^ (mix64(key ^ right) & 0xFFFFFFFF & mask)
            a = (left << half) | right
            if a < base:
                return a

    return image


def significant_digits(base):
    digits, scale = 0, 1.0
    while scale > 2.0**-53:
        digits += 1
        scale /= base
    return digits


def coordinate(base, seed, dimension, index, last_index):
    digits = significant_digits(base)
    varying = 0
    while varying < digits and base**varying <= last_index:
        varying += 1
    tail = 0.5
    for k in range(digits - 1, varying - 1, -1):
        tail = (float(permutation(base, seed, dimension, k)(0)) + tail) / base
    own = []
    for _ in range(varying):
        own.append(index % base)
        index //= base
    x = tail
    for k in range(varying - 1, -1, -1):
        x = (float(permutation(base, seed, dimension, k)(own[k])) + x) / base
    return x if x < 1.0 else math.nextafter(1.0, 0.0)


# (columns d, rows n, seed, start, the columns printed), every row: from
# start 0 a coordinate is its permuted zeros and the half unit alone.
CALLS = [
    (258, 1, 2024, 0, [255, 256, 257]),
    (301, 2, 7, 123456789, [255, 256, 300]),
    (256, 3, 0, 4294967293, [255]),
]

if __name__ == "__main__":
    bases = primes(301)
    for d, n, seed, start, columns in CALLS:
        for j in columns:
            for i in range(n):
                value = coordinate(bases[j], seed, j, start + i, start + n - 1)
                print(f"    {{{d}, {n}, {seed}u, {start}u, {i}, {j}, {value.hex()}}},")
