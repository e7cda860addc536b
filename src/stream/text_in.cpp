#include "stream/text_in.hpp"

#include <cstdio>
#include <cstring>

#include "os/os.hpp"

namespace stream {

// Moves what is left to the front and reads more behind it.
static bool refill(TextIn &in) {
    if (in.at_end) return false;
    std::memmove(in.buf, in.buf + in.pos, in.len - in.pos);
    in.len -= in.pos;
    in.pos = 0;
    std::size_t n = std::fread(in.buf + in.len, 1, sizeof in.buf - read_slack - in.len, in.file);
    if (n == 0) {
        in.at_end = true;
        in.failed = std::ferror(in.file) != 0;
        return false;
    }
    in.len += n;
    return true;
}

static void start_reading(TextIn &in) {
    in.pos = in.len = 0;
    in.at_end = in.failed = false;
}

bool open_in(TextIn &in, const char *name) {
    unsigned permissions = 0;
    std::FILE *file = os::open_regular_file(name, permissions);
    return adopt_in(in, file, permissions);
}

bool adopt_in(TextIn &in, std::FILE *file, unsigned permissions) {
    close_in(in);
    in.file = file;
    if (!in.file) return false;
    in.permissions = permissions;
    // The read-ahead is the buffer: without one of the C library's own
    // behind it, every refill is one read straight into it.
    std::setvbuf(in.file, nullptr, _IONBF, 0);
    start_reading(in);
    // A directory opens on some systems and fails on the first read; read
    // ahead now so it is refused here like on the others.
    refill(in);
    if (in.failed) {
        close_in(in);
        return false;
    }
    return true;
}

bool rewind_in(TextIn &in) {
    if (!in.file || std::fseek(in.file, 0, SEEK_SET) != 0) return false;
    start_reading(in);
    return true;
}

// Copies bytes up to the first CR or LF, at most room of them.
static std::size_t copy_plain(TextIn &in, char *out, std::size_t room) {
    std::size_t avail = in.len - in.pos;
    if (avail > room) avail = room;
    const unsigned char *from = in.buf + in.pos;
    std::size_t n = 0;
    while (n < avail && from[n] != '\n' && from[n] != '\r') ++n;
    std::memcpy(out, from, n);
    in.pos += n;
    return n;
}

// A whole line that lies in the buffer and fits in max bytes, found with one
// memchr and copied to out unless out is null; 0 where the line runs past the buffer or past max,
// which the byte-wise path below then takes. Same result as that path: a CR before the LF goes,
// other CRs stay.
static std::size_t read_whole_line(TextIn &in, char *out, std::size_t max) {
    std::size_t window = in.len - in.pos;
    if (window > max + 1) window = max + 1;
    const unsigned char *from = in.buf + in.pos;
    const auto *line_feed = static_cast<const unsigned char *>(std::memchr(from, '\n', window));
    if (!line_feed) return 0;
    std::size_t k = static_cast<std::size_t>(line_feed - from); // bytes before the LF
    const bool crlf = k > 0 && line_feed[-1] == '\r';
    const std::size_t n = crlf ? k : k + 1;
    if (n > max) return 0; // k == max: the LF is left for the next read
    if (out) {
        std::memcpy(out, from, n - 1);
        out[n - 1] = '\n';
        out[n] = '\0';
    }
    in.pos += k + 1;
    return n;
}

std::size_t read_line(TextIn &in, char *out, std::size_t cap) {
    std::size_t n = 0;
    const std::size_t max = cap - 1;
    if (max > 0 && in.pos < in.len) {
        n = read_whole_line(in, out, max);
        if (n != 0) return n;
    }
    while (n < max) {
        if (in.pos == in.len && !refill(in)) break;
        n += copy_plain(in, out + n, max - n);
        if (n == max || in.pos == in.len) continue;
        unsigned char c = in.buf[in.pos];
        if (c == '\r') {
            if (in.pos + 1 == in.len) refill(in); // look at the byte behind it
            if (in.pos + 1 < in.len && in.buf[in.pos + 1] == '\n') {
                in.pos += 2;
                out[n++] = '\n';
                break;
            }
            ++in.pos;
            out[n++] = '\r';
            continue;
        }
        ++in.pos; // a line feed
        out[n++] = '\n';
        break;
    }
    out[n] = '\0';
    return n;
}

static std::size_t skip_line(TextIn &in) {
    if (in.pos < in.len)
        if (const std::size_t n = read_whole_line(in, nullptr, line_buffer_size - 1)) return n;
    char piece[line_buffer_size];
    return read_line(in, piece, sizeof piece);
}

std::string_view next_record_line(TextIn &in, SpareRecordLine &spare) {
    if (in.pos < in.len) {
        unsigned char *from = in.buf + in.pos;
        std::size_t window = in.len - in.pos;
        if (window > line_buffer_size) window = line_buffer_size; // the LF of a 254-byte read
        auto *line_feed = static_cast<unsigned char *>(std::memchr(from, '\n', window));
        if (line_feed && line_feed != from && line_feed[-1] == '\r') {
            // the bytes are consumed by this read, so the buffer may take the line's new end
            line_feed[-1] = '\n';
            line_feed[0] = '\0';
            const auto n = static_cast<std::size_t>(line_feed - from);
            in.pos += n + 1;
            return {reinterpret_cast<const char *>(from), n};
        }
    }
    return {spare, read_line(in, spare, line_buffer_size)};
}

std::size_t skip_record_lines(TextIn &in, std::size_t most) {
    std::size_t count = 0;
    while (count < most && skip_line(in) != 0) ++count;
    return count;
}

bool read_failed(const TextIn &in) {
    return in.failed;
}

void close_in(TextIn &in) {
    if (!in.file) return;
    std::fclose(in.file);
    in.file = nullptr;
}

} // namespace stream
