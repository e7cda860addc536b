#include "handover.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sjis.hpp"
#include "stop.hpp"

namespace host {

namespace {

bool is_geometry(Kind kind) {
    return kind == Kind::line || kind == Kind::circle || kind == Kind::point;
}

// One line as it goes over: converted into `converted` where from_utf8, else as read.
bool line_to_exchange(Codec &codec, std::string_view line, std::size_t number, bool from_utf8,
                      std::string &converted, std::string_view &bytes, std::string &error) {
    if (!from_utf8) {
        bytes = line;
        return true;
    }
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    converted.clear();
    if (!codec.utf8_line_to_exchange(line, number, converted, error)) return false;
    bytes = converted;
    return true;
}

void take_note(Codec &codec, std::string_view read, std::string_view bytes, bool from_utf8,
               bool keep_geometry, Handover &handover) {
    if (!from_utf8) {
        handover.shift_jis = handover.shift_jis && codec.is_shift_jis(read);
        handover.utf8 = handover.utf8 && is_utf8(read);
    }
    const std::string_view bare = without_end(bytes);
    handover.tally.add(bare, false);
    if (keep_geometry && is_geometry(kind_of(bare))) handover.geometry.emplace_back(bare);
}

bool copy_lines(LineFile &in, std::FILE *out, const std::string &selection, bool from_utf8,
                bool keep_geometry, Handover &handover, std::string &error) {
    Codec codec;
    std::string converted;
    std::string_view read, bytes;
    for (std::size_t number = 1; !stop_signal() && in.next(read); ++number) {
        if (!line_to_exchange(codec, read, number, from_utf8, converted, bytes, error)) {
            error = selection_label(selection) + ": " + error;
            return false;
        }
        take_note(codec, read, bytes, from_utf8, keep_geometry, handover);
        if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return false;
    }
    if (in.error() == 0) return true;
    error = "cannot read the selection " + selection_label(selection) + ": " +
            std::strerror(in.error());
    return false;
}

} // namespace

std::string selection_label(const std::string &selection) {
    return selection == "-" ? "standard input" : selection;
}

bool hand_over(LineFile &in, const std::string &selection, bool from_utf8, bool keep_geometry,
               const std::filesystem::path &to, Handover &handover, std::string &error) {
    std::FILE *out = std::fopen(to.c_str(), "wb");
    if (!out) {
        error = "cannot write " + to.string() + ": " + std::strerror(errno);
        return false;
    }
    bool copied = copy_lines(in, out, selection, from_utf8, keep_geometry, handover, error);
    const bool written = !std::ferror(out) && copied;
    if (std::fclose(out) != 0 || (!written && error.empty())) {
        error = "cannot write " + to.string() + ": " + std::strerror(errno);
        return false;
    }
    return written;
}

} // namespace host
