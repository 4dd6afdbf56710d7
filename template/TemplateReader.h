// Reading .tav files into a Template.
//
// Two readers share one format: the print engine's accepts only "TAV 3.1..." files and drops
// the elements that lie outside the paper; the editor's also opens "TAV 2.0..." and "TAV 3.0..."
// files (zoom 1.0) and keeps every record.
#pragma once

#include "common/Status.h"
#include "template/Template.h"

#include <cstdint>
#include <span>
#include <string>

namespace tav::tpl {

enum class ReaderVariant { Engine, Editor };

// The code of a read's outcome (Loaded on success).
enum class ReadStatus {
    Loaded,     // the template holds what the file holds, also when the file ended early
    NoFile,     // nothing exists at the path: the template was left as it was
    CannotOpen, // the file exists but cannot be read: the template is empty
    BadMagic,   // not a template of a version this reader accepts: the template is empty
};

// What a read did; a failure's text is toString(code).
using ReadOutcome = BasicStatus<ReadStatus>;

const char* toString(ReadStatus status);

inline constexpr char kMagic31[] = "TAV 3.1...";
inline constexpr char kMagic30[] = "TAV 3.0...";
inline constexpr char kMagic20[] = "TAV 2.0...";
inline constexpr std::size_t kMagicSize = 10;

// Reads the file at `path` into `tpl`. Except when no file exists, `tpl` is emptied first.
ReadOutcome readTemplateFile(const std::string& path, ReaderVariant variant, Template& tpl);

// Reads a whole file image into `tpl`, which is emptied first. Never fails once the magic is
// accepted: values past the end read as zero or empty. Never allocates more than the bytes can
// hold.
ReadOutcome readTemplateBytes(std::span<const std::uint8_t> bytes, ReaderVariant variant,
                              Template& tpl);

} // namespace tav::tpl
