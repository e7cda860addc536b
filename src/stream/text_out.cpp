#include "stream/text_out.hpp"

#include <cstdio>
#include <cstring>

#include "os/os.hpp"

namespace stream {

static void flush(TextOut &out) {
    if (out.len && std::fwrite(out.buf, 1, out.len, out.file) != out.len) out.failed = true;
    out.len = 0;
}

static void append_raw(TextOut &out, const char *bytes, std::size_t n) {
    if (out.len + n > sizeof out.buf) flush(out);
    if (n > sizeof out.buf) {
        if (std::fwrite(bytes, 1, n, out.file) != n) out.failed = true;
        return;
    }
    std::memcpy(out.buf + out.len, bytes, n);
    out.len += n;
}

bool open_new(TextOut &out, const char *name, unsigned permissions, bool &name_taken) {
    close_out(out);
    out.file = os::create_new_file(name, permissions, name_taken);
    if (!out.file) return false;
    std::setvbuf(out.file, nullptr, _IONBF, 0); // the write buffer is out.buf
    out.len = 0;
    out.line_open = out.failed = false;
    return true;
}

void put(TextOut &out, std::string_view bytes) {
    if (bytes.empty()) return;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t nl = bytes.find('\n', start);
        if (nl == std::string_view::npos) {
            append_raw(out, bytes.data() + start, bytes.size() - start);
            break;
        }
        append_raw(out, bytes.data() + start, nl - start);
        append_raw(out, "\r\n", 2);
        start = nl + 1;
    }
    out.line_open = bytes.back() != '\n';
}

char *detail::line_space(TextOut &out, std::size_t n) {
    if (sizeof out.buf - out.len < n + 2) flush(out);
    return out.buf + out.len;
}

void detail::end_line(TextOut &out, char *end) {
    end[0] = '\r';
    end[1] = '\n';
    out.len = static_cast<std::size_t>(end + 2 - out.buf);
    out.line_open = false;
}

bool restart_out(TextOut &out) {
    out.len = 0;
    out.line_open = out.failed = false; // what failed is gone with the rest
    return os::empty_file(out.file) && std::fseek(out.file, 0, SEEK_SET) == 0;
}

bool close_out(TextOut &out) {
    if (!out.file) return false;
    flush(out);
    bool ok = !out.failed;
    if (std::fflush(out.file) != 0) ok = false;
    if (std::fclose(out.file) != 0) ok = false;
    out.file = nullptr;
    return ok;
}

} // namespace stream
