#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>

// A channel's or a station's logo as fetched from anywhere on the network: the bytes are the
// server's, so nothing is decoded before its kind and size are known and within bounds.

// The most a logo may weigh on the wire; a reply past it is not kept.
inline constexpr qint64 kMaxLogoBytes = qint64{1} << 20;
// The largest picture decoded: no logo needs more, and a header that claims more is not believed.
inline constexpr int kMaxLogoSide = 2048;
// What is kept of a decoded logo: enough for the guide window on a dense screen, so that a few
// dozen logos in memory cost a few megabytes.
inline constexpr QSize kKeptLogoSize{192, 96};

// The picture in `bytes` (PNG, JPEG, GIF, BMP or ICO, told by their first bytes), scaled down to fit
// kKeptLogoSize; a null image for anything else: too heavy, too large, another kind, or broken.
QImage decode_logo(const QByteArray& bytes);
