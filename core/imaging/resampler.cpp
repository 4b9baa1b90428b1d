// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#include "imaging/resampler.h"

#include <FreeImagePlus.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr int Bits = 14;
constexpr int One = 1 << Bits;

// Where each output pixel of a line takes its input and with which weights (sum One).
struct Taps
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::int16_t> weights; // window entries for each output pixel
    int window = 0;

    Taps(unsigned to, unsigned from)
    {
        // The library's Catmull-Rom (support 2), stretched by the reduction, pixel centres
        // mapped onto each other.
        const auto filter = [](double x) {
            x = std::fabs(x);
            if (x < 1)
                return 0.5 * (2 + x * x * (-5 + x * 3));
            if (x < 2)
                return 0.5 * (4 + x * (-8 + x * (5 - x)));
            return 0.0;
        };
        const double scale = double(to) / double(from);
        const double stretch = std::min(scale, 1.0);
        const double width = 2.0 / stretch;
        window = 2 * int(std::ceil(width)) + 1;
        first.resize(to);
        count.resize(to);
        weights.assign(size_t(to) * size_t(window), 0);
        std::vector<double> raw(static_cast<size_t>(window));
        for (unsigned u = 0; u < to; ++u) {
            const double centre = (u + 0.5) / scale;
            const int left = std::max(0, int(centre - width + 0.5));
            const int right = std::min(int(centre + width + 0.5), int(from));
            double total = 0;
            int n = 0;
            for (int i = left; i < right && n < window; ++i, ++n) {
                raw[size_t(n)] = filter(stretch * (i + 0.5 - centre));
                total += raw[size_t(n)];
            }
            std::int16_t *w = &weights[size_t(u) * size_t(window)];
            int sum = 0;
            int largest = 0;
            for (int k = 0; k < n; ++k) {
                w[k] = std::int16_t(std::lround(raw[size_t(k)] / (total != 0 ? total : 1) * One));
                sum += w[k];
                if (std::abs(w[k]) > std::abs(w[largest]))
                    largest = k;
            }
            // Rounding must neither brighten nor darken a flat area.
            if (n > 0)
                w[largest] = std::int16_t(w[largest] + One - sum);
            // Weights of zero at the ends cost time only.
            int start = 0;
            while (start < n - 1 && w[start] == 0)
                ++start;
            while (n - 1 > start && w[n - 1] == 0)
                --n;
            if (start > 0)
                std::memmove(w, w + start, size_t(n - start) * sizeof *w);
            first[u] = left + start;
            count[u] = n - start;
        }
    }
};

inline std::uint8_t clampToByte(std::int32_t sum)
{
    return std::uint8_t(std::clamp((sum + One / 2) >> Bits, 0, 255));
}

// Each row of the buffer resampled across, into the output's scan lines.
template <int Channels>
void resampleAcross(const std::uint8_t *in, size_t inStride, const Taps &taps, FIBITMAP *target)
{
    const unsigned height = FreeImage_GetHeight(target);
    const size_t to = taps.first.size();
    for (unsigned y = 0; y < height; ++y) {
        const std::uint8_t *row = in + y * inStride;
        std::uint8_t *line = FreeImage_GetScanLine(target, int(y));
        for (size_t x = 0; x < to; ++x) {
            const std::int16_t *w = &taps.weights[x * size_t(taps.window)];
            const std::uint8_t *p = row + size_t(taps.first[x]) * Channels;
            std::int32_t sum[Channels] = {};
            for (int k = 0; k < taps.count[x]; ++k, p += Channels)
                for (int c = 0; c < Channels; ++c)
                    sum[c] += w[k] * p[c];
            for (int c = 0; c < Channels; ++c)
                line[x * Channels + c] = clampToByte(sum[c]);
        }
    }
}

// The scan lines of the input resampled down the columns, into rows of the buffer. This pass
// goes first: it runs over whole lines, which vectorises, and leaves fewer lines to the other.
void resampleDown(FIBITMAP *source, const Taps &taps, std::uint8_t *out, size_t stride)
{
    std::vector<std::int32_t> sum(stride);
    for (size_t v = 0; v < taps.first.size(); ++v) {
        std::fill(sum.begin(), sum.end(), 0);
        const std::int16_t *w = &taps.weights[v * size_t(taps.window)];
        for (int k = 0; k < taps.count[v]; ++k) {
            const std::uint8_t *line = FreeImage_GetScanLine(source, taps.first[v] + k);
            const std::int32_t weight = w[k];
            for (size_t i = 0; i < stride; ++i)
                sum[i] += weight * line[i];
        }
        std::uint8_t *row = out + v * stride;
        for (size_t i = 0; i < stride; ++i)
            row[i] = clampToByte(sum[i]);
    }
}

bool takes(FIBITMAP *dib)
{
    if (!dib || !FreeImage_HasPixels(dib) || FreeImage_GetImageType(dib) != FIT_BITMAP)
        return false;
    switch (FreeImage_GetBPP(dib)) {
    case 8: {
        const FREE_IMAGE_COLOR_TYPE colour = FreeImage_GetColorType(dib);
        return colour == FIC_MINISBLACK || colour == FIC_MINISWHITE;
    }
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

// An empty bitmap like source, of another size, with its palette, metadata and resolution.
FIBITMAP *allocateLike(FIBITMAP *source, unsigned width, unsigned height)
{
    const unsigned bpp = FreeImage_GetBPP(source);
    FIBITMAP *dib =
        FreeImage_Allocate(int(width), int(height), int(bpp), FreeImage_GetRedMask(source),
                           FreeImage_GetGreenMask(source), FreeImage_GetBlueMask(source));
    if (!dib)
        return nullptr;
    if (bpp == 8)
        std::memcpy(FreeImage_GetPalette(dib), FreeImage_GetPalette(source), 256 * sizeof(RGBQUAD));
    FreeImage_CloneMetadata(dib, source);
    FreeImage_SetDotsPerMeterX(dib, FreeImage_GetDotsPerMeterX(source));
    FreeImage_SetDotsPerMeterY(dib, FreeImage_GetDotsPerMeterY(source));
    return dib;
}

} // namespace

bool Resampler::catmullRom(fipImage &image, unsigned width, unsigned height)
{
    FIBITMAP *source = image;
    if (!takes(source) || width == 0 || height == 0)
        return false;
    const int channels = int(FreeImage_GetBPP(source)) / 8;
    FIBITMAP *target = allocateLike(source, width, height);
    if (!target)
        return false;
    // Like the library's own buffers, one that cannot be had fails the resize, not the process.
    const size_t stride = size_t(FreeImage_GetWidth(source)) * size_t(channels);
    const std::unique_ptr<std::uint8_t[]> down(new (std::nothrow) std::uint8_t[stride * height]);
    if (!down) {
        FreeImage_Unload(target);
        return false;
    }
    resampleDown(source, Taps(height, FreeImage_GetHeight(source)), down.get(), stride);
    const Taps across(width, FreeImage_GetWidth(source));
    if (channels == 1)
        resampleAcross<1>(down.get(), stride, across, target);
    else if (channels == 3)
        resampleAcross<3>(down.get(), stride, across, target);
    else
        resampleAcross<4>(down.get(), stride, across, target);
    image = target;
    return true;
}
