// Where tavprint may write a document. A mistyped or mixed-up output path must not destroy the
// user's files: it must name a document of the right kind, it may replace only a regular file,
// and never one of the files the command reads.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tav::cli {

// Empty when `path` may take the output; else why not (for a message after "tavprint CMD: ").
// `path` must end in one of `extensions` (".pdf", any case); whatever exists at it must be a
// regular file (not a symbolic link, directory, FIFO or device); and it must not be the same
// file as any of `inputs` (the template, the data file), compared by device and inode, so a
// hard link or another spelling of the name is caught too.
std::string outputPathProblem(const std::string& path,
                              std::initializer_list<std::string_view> extensions,
                              const std::vector<std::string>& inputs);

} // namespace tav::cli
