#include "xmlbinding/xml_reader.h"

#include "xmlbinding/xml_reader_lex.h"

namespace xmlb {

using namespace lex;

// The character layer: bytes of the declared or detected encoding to characters.

void c_xml_reader::set_range_encoding(encoding enc) {
    m_range_enc = enc;
    m_bytewise = enc == encoding::utf8 || enc == encoding::latin1 || enc == encoding::ascii;
}

int c_xml_reader::next_byte() {
    if (m_p == m_e) {
        if (!m_frames.empty())
            return -1;
        m_src.set_cur(m_p);
        if (!m_src.refill())
            return -1;
        m_p = m_src.cur();
        m_e = m_src.end();
    }
    return *m_p++;
}

char32_t c_xml_reader::decode() {
    switch (m_range_enc) {
    case encoding::utf8: {
        const unsigned b0 = *m_p++;
        if (b0 < 0x80)
            return b0;
        int n;
        char32_t c, min;
        if ((b0 & 0xE0) == 0xC0) {
            n = 1, c = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            n = 2, c = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            n = 3, c = b0 & 0x07, min = 0x10000;
        } else {
            return bad_char;
        }
        for (int i = 0; i < n; ++i) {
            const int b = next_byte();
            if (b < 0 || (b & 0xC0) != 0x80)
                return bad_char;
            c = (c << 6) | char32_t(b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return bad_char;
        return c;
    }
    case encoding::latin1:
        return *m_p++;
    case encoding::ascii: {
        const unsigned b = *m_p++;
        return b < 0x80 ? b : bad_char;
    }
    case encoding::utf16le:
    case encoding::utf16be:
    case encoding::ucs2le:
    case encoding::ucs2be: {
        const bool le = m_range_enc == encoding::utf16le || m_range_enc == encoding::ucs2le;
        auto unit = [&](int first) -> int {
            const int second = next_byte();
            if (first < 0 || second < 0)
                return -1;
            return le ? (first | (second << 8)) : ((first << 8) | second);
        };
        const int u = unit(*m_p++);
        if (u < 0)
            return bad_char;
        if (u < 0xD800 || u > 0xDFFF)
            return char32_t(u);
        if (u > 0xDBFF || m_range_enc == encoding::ucs2le || m_range_enc == encoding::ucs2be)
            return bad_char;
        const int low = unit(next_byte());
        if (low < 0xDC00 || low > 0xDFFF)
            return bad_char;
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
    }
    case encoding::unknown:
        break;
    }
    return bad_char;
}

void c_xml_reader::slow_adv() {
    m_line += m_nl;
    m_nl = 0;
    for (;;) {
        if (m_p == m_e) {
            if (!m_frames.empty()) {
                const frame f = m_frames.back();
                m_frames.pop_back();
                m_p = f.p;
                m_e = f.e;
                set_range_encoding(f.enc);
                continue;
            }
            m_src.set_cur(m_p);
            if (!m_src.refill()) {
                m_c = eof_char;
                return;
            }
            m_p = m_src.cur();
            m_e = m_src.end();
            continue;
        }
        char32_t c = decode();
        if (m_after_cr) {
            m_after_cr = false;
            if (c == '\n')
                continue;
        }
        if (c == '\r') {
            m_after_cr = true;
            c = '\n';
        } else if (c == 0x85 || c == 0x2028) {
            c = '\n';
        }
        if (c == '\n' && m_frames.empty())
            m_nl = 1;
        m_c = c;
        return;
    }
}

bool c_xml_reader::skip_ws() {
    if (!is_space(m_c))
        return false;
    do {
        // The indentation between elements: blanks, tabs and line feeds in one sweep. A line feed
        // right after a carriage return belongs to it and takes the slow path.
        if (m_bytewise && !m_after_cr) {
            const unsigned char* p = m_p;
            int lines = 0;
            while (p != m_e && (*p == ' ' || *p == '\t' || *p == '\n')) {
                lines += *p == '\n';
                ++p;
            }
            if (m_frames.empty())
                m_line += lines;
            m_p = p;
        }
        adv();
    } while (is_space(m_c));
    return true;
}

// Copies the bytes after the current character that the table marks as plain in one go; the
// caller has consumed m_c and calls adv() next.
void c_xml_reader::plain_run(const unsigned char* table, std::string& out) {
    if (!m_bytewise)
        return;
    const unsigned char* p = m_p;
    while (p != m_e && table[*p])
        ++p;
    if (p != m_p) {
        out.append(reinterpret_cast<const char*>(m_p), std::size_t(p - m_p));
        m_p = p;
        m_after_cr = false;
    }
}

} // namespace xmlb
