// The program's icon: a ringed planet on a dark rounded square, as SVG so that it is
// sharp at every size the desktop asks for. The back half of the ring is drawn first,
// then the planet, then the front half clipped to the lower side of the ring's axis.
#include <fstream>
#include <stdexcept>

#include "tools/samples/SampleFiles.h"

namespace vardel::samples {

namespace {

constexpr char kIcon[] = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">
  <title>Vardel</title>
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#1b2a4a"/>
      <stop offset="1" stop-color="#070b16"/>
    </linearGradient>
    <radialGradient id="globe" cx="0.36" cy="0.32" r="0.75">
      <stop offset="0" stop-color="#fbeccb"/>
      <stop offset="0.55" stop-color="#d9b47a"/>
      <stop offset="1" stop-color="#5e4325"/>
    </radialGradient>
    <linearGradient id="ring" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#bfae8f"/>
      <stop offset="0.5" stop-color="#f0dfb8"/>
      <stop offset="1" stop-color="#8f806a"/>
    </linearGradient>
    <clipPath id="front" clipPathUnits="userSpaceOnUse">
      <rect x="0" y="64" width="128" height="64"/>
    </clipPath>
  </defs>
  <rect x="4" y="4" width="120" height="120" rx="22" fill="url(#sky)"/>
  <circle cx="24" cy="26" r="1.6" fill="#ffffff"/>
  <circle cx="101" cy="20" r="1.2" fill="#dfe6ff"/>
  <circle cx="108" cy="97" r="1.4" fill="#fff4dc"/>
  <circle cx="19" cy="100" r="1.1" fill="#ffffff"/>
  <g transform="rotate(-16 64 64)">
    <ellipse cx="64" cy="64" rx="54" ry="15" fill="none" stroke="url(#ring)" stroke-width="9" opacity="0.9"/>
    <path d="M 20 58 Q 64 44 108 58" fill="none" stroke="#4a3b28" stroke-width="2" opacity="0.5"/>
    <circle cx="64" cy="64" r="30" fill="url(#globe)"/>
    <path d="M 36 56 Q 64 62 92 56" fill="none" stroke="#b98d55" stroke-width="3" opacity="0.6"/>
    <path d="M 35 70 Q 64 76 93 70" fill="none" stroke="#a47a46" stroke-width="2.5" opacity="0.5"/>
    <ellipse cx="64" cy="64" rx="54" ry="15" fill="none" stroke="url(#ring)" stroke-width="9"
             clip-path="url(#front)"/>
    <ellipse cx="64" cy="64" rx="54" ry="15" fill="none" stroke="#2b2418" stroke-width="1.2"
             opacity="0.45" clip-path="url(#front)"/>
  </g>
</svg>
)svg";

}  // namespace

void WriteIcon(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << kIcon;
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace vardel::samples
