// ARC paths: the head of a boot line that tells the loader where Windows is.
//
//   multi(x)disk(0)rdisk(z)partition(n)\SYSROOT       BIOS disk z (x is the adapter, 0 in practice)
//   scsi(x)disk(y)rdisk(0)partition(n)\SYSROOT        SCSI target y on adapter x, through
//   NTBOOTDD.SYS signature(XXXXXXXX)disk(y)rdisk(0)partition(n)\SYSROOT   the MBR disk whose
//   signature is XXXXXXXX C:\FILE or C:\                                     a boot sector file on
//   the system partition
//
// Keywords match in any letter case; numbers are decimal, the signature hexadecimal in any case.
// partition(n) counts from 1 (0 is the whole disk). The system root is the text after the last
// ")". Spaces around the path are allowed (the record keeps the spaces before "="); anything else
// that does not fit the forms is refused. The record remembers where each number and the system
// root stand in the text, so that a repair can change those characters and no others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace bootcheck {

// Characters [begin, end) of the text a path was parsed from.
struct TextRange {
    size_t begin = 0;
    size_t end = 0;
};

enum class ArcForm { Multi, Scsi, Signature, Drive };

struct ArcPath {
    ArcForm form = ArcForm::Multi;
    unsigned long adapter = 0;  // multi(x), scsi(x)
    uint32_t signature = 0;     // signature(x)
    unsigned long disk = 0;     // disk(y)
    unsigned long rdisk = 0;    // rdisk(z)
    unsigned long partition = 0;
    char drive = 0;          // the upper-case letter of the drive form
    std::string systemRoot;  // after the last ")" or after "C:", as written ("\WINDOWS", "\")

    TextRange firstNumber;  // the digits of multi(), scsi() or signature()
    TextRange diskNumber;
    TextRange rdiskNumber;
    TextRange partitionNumber;
    TextRange systemRootText;  // may be empty, then it marks where a root would go
};

// Parses an ARC path, or gives nothing when the text is none of the forms above.
std::optional<ArcPath> ParseArcPath(const std::string& text);

// The first keyword as the line writes it, with its number: "multi(0)", "signature(8b467c12)".
std::string FirstComponent(const ArcPath& path, const std::string& text);

}  // namespace bootcheck
