// Which kind of disk image a file holds, told by its magic bytes rather than its name's
// extension (people name VHDs .img and raw copies .vhd).
//
// Raw images and fixed VHDs are read as they are: a fixed VHD is the disk's bytes followed by a
// 512-byte footer that starts with "conectix" and gives the disk type (2 = fixed) as a big-endian
// 32-bit number at byte 60. The other containers (qcow2, VDI, sparse VMDK, dynamic VHD, VHDX)
// keep their sectors in their own order and are read through QEMU's block layer.
#pragma once

#include <cstdint>
#include <string>

namespace disk {

enum class ImageFormat {
    kRaw,         // a plain copy of a disk or partition (or something unknown: the prober tells)
    kFixedVhd,    // raw bytes plus a 512-byte footer
    kDynamicVhd,  // QEMU driver "vpc"
    kDifferencingVhd,  // needs its parent image; not opened
    kQcow,             // QEMU's first format, version 1
    kQcow2,
    kVdi,
    kVmdk,  // a sparse VMDK or a VMDK descriptor
    kVhdx,
};

// How many bytes of the start of the file DetectImageFormat wants to see (fewer when the file
// is shorter) and how many of its end.
constexpr std::size_t kImageHeadBytes = 512;
constexpr std::size_t kVhdFooterBytes = 512;

// head: the first bytes of the file (up to kImageHeadBytes); tail: its last kVhdFooterBytes
// bytes (fewer, or empty, when the file is shorter than that).
ImageFormat DetectImageFormat(const std::string& head, const std::string& tail);

// The name users know the format by: "raw", "fixed VHD", "qcow2", "VDI", ...
const char* ImageFormatName(ImageFormat format);

// The QEMU block driver that reads the format; null for formats read directly (raw, fixed VHD)
// and for those Tarnwick does not open (differencing VHD).
const char* QemuDriverFor(ImageFormat format);

}  // namespace disk
