// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Pelorin developers
#pragma once

// The image library as the program needs it: it answers, and it reads and writes JPEG, PNG,
// TIFF and WEBP. Without that there is nothing the program could do.
class ImageLibrary
{
public:
    static bool isUsable();
};
