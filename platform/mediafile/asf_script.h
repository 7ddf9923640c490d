#pragma once
// Script commands (timed type/text pairs) in the header of an ASF file. No muxer we have writes
// them, so a finished recording is rewritten once with a Script Command Object added to its
// header; data and index objects are copied as they are, since their positions are relative to
// the data object. Every read is bounds-checked: a cut or corrupt header is refused before
// anything is allocated from its counts.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace media {

struct AsfScriptCommand {
    uint32_t timeMs = 0;  // presentation time, ms since the file's start
    QString type;
    QString text;
    bool operator==(const AsfScriptCommand&) const = default;
};

// The object holds counts of 16 bits: commands past this many are not kept.
constexpr size_t kMaxAsfScriptCommands = 0xFFFF;
// A header larger than this is not read (a recording's header is a few KiB).
constexpr uint64_t kMaxAsfHeaderSize = 16u * 1024 * 1024;

// Reads the script commands from the bytes of an ASF file's start (the whole header object at
// least). A header without a Script Command Object gives an empty list. False, with a reason in
// `error`, when the header is not a readable ASF header.
bool ReadAsfScriptCommands(const QByteArray& fileStart, std::vector<AsfScriptCommand>& commands,
                           QString* error = nullptr);
bool ReadAsfScriptCommandsFromFile(const QString& path, std::vector<AsfScriptCommand>& commands,
                                   QString* error = nullptr);

// The Script Command Object for these commands, in time order as given.
QByteArray BuildAsfScriptCommandObject(const std::vector<AsfScriptCommand>& commands);

// The new header for `header` (a whole header object) with the commands' object in place of any
// it held: header size, object count and the file size of the File Properties Object updated.
// `sizeChange` receives the number of bytes the header grew by.
bool RewriteAsfHeader(const QByteArray& header, const std::vector<AsfScriptCommand>& commands,
                      QByteArray& newHeader, int64_t& sizeChange, QString* error = nullptr);

// Rewrites the file at `path` with the commands in its header, through a temporary file that
// replaces it only when whole. The file is left as it was on failure.
bool WriteAsfScriptCommands(const QString& path, const std::vector<AsfScriptCommand>& commands,
                            QString* error = nullptr);

// Data packets of a file with one packet size are each that size, the padding counted in the
// packet length where the packet gives one; a muxer's last packet may give only its content's
// length, which some readers refuse. Sets such lengths to the packet size, in place; counts the
// packets mended in `mended`. False, with a reason, when the file is not a readable ASF file or a
// packet cannot be mended in place (the packets before it are mended).
bool CompleteAsfDataPackets(const QString& path, int* mended = nullptr, QString* error = nullptr);

}  // namespace media
