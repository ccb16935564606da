#include "history/compressed_text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <system_error>

#include <zlib.h>

#include "util/error.h"

namespace korvid::history {
namespace {

// zlib counts in uInt: longer buffers go through in pieces.
constexpr std::size_t MaxPiece = UINT_MAX;

// Even stored uncompressed, MaxHistoBytes need only 5 bytes more per 64 KiB block: a larger
// file cannot be a history file, and reading it would only cost memory.
constexpr std::size_t MaxStreamBytes = MaxHistoBytes + MaxHistoBytes / 64;

// The string's bytes are written by fill right away: no zeros are written first where we can.
template <typename TFillFn>
void ResizeForOverwrite(std::string& bytes, std::size_t size, TFillFn fill)
{
#if defined(__cpp_lib_string_resize_and_overwrite)
    bytes.resize_and_overwrite(size, [&](char* data, std::size_t n) {
        fill(data, n);
        return n;
    });
#else
    bytes.resize(size);
    fill(bytes.data(), size);
#endif
}

std::string ZlibText(const z_stream& z, int code)
{
    if (z.msg != nullptr)
        return z.msg;
    switch (code) {
    case Z_NEED_DICT:
        return "needs a preset dictionary";
    case Z_MEM_ERROR:
        return "out of memory";
    default:
        return "zlib error " + std::to_string(code);
    }
}

class TDeflater {
public:
    TDeflater()
    {
        const int code = deflateInit2(&m_z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        if (code != Z_OK)
            throw util::TError("DeflateStream: " + ZlibText(m_z, code));
    }
    ~TDeflater() { deflateEnd(&m_z); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    // Appends to out the compressed form of data; Z_FINISH ends the stream.
    void Feed(std::string_view data, int flush, std::string& out, std::size_t& produced)
    {
        std::size_t pos = 0;
        for (;;) {
            if (m_z.avail_in == 0 && pos < data.size()) {
                const std::size_t piece = std::min(MaxPiece, data.size() - pos);
                m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + pos));
                m_z.avail_in = static_cast<uInt>(piece);
                pos += piece;
            }
            const bool lastPiece = pos == data.size();
            if (lastPiece && m_z.avail_in == 0 && flush == Z_NO_FLUSH)
                return;
            if (produced == out.size())
                out.resize(out.size() + out.size() / 2 + 4096);
            const auto room = static_cast<uInt>(std::min(MaxPiece, out.size() - produced));
            m_z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            m_z.avail_out = room;
            const int code = deflate(&m_z, lastPiece ? flush : Z_NO_FLUSH);
            produced += room - m_z.avail_out;
            if (code == Z_STREAM_END)
                return;
            // Z_BUF_ERROR only says no progress was possible this call; the next one has room.
            if (code != Z_OK && code != Z_BUF_ERROR)
                throw util::TError("DeflateStream: " + ZlibText(m_z, code));
        }
    }

    [[nodiscard]] uLong Bound(std::size_t sourceBytes)
    {
        return deflateBound(&m_z, static_cast<uLong>(sourceBytes));
    }

private:
    z_stream m_z{};
};

enum class TFill { Full, Ended, Cut, Failed };

class TInflater {
public:
    explicit TInflater(std::string_view input) : m_input(input)
    {
        m_code = inflateInit(&m_z);
        m_started = m_code == Z_OK;
    }
    ~TInflater()
    {
        if (m_started)
            inflateEnd(&m_z);
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    [[nodiscard]] bool Started() const { return m_started; }

    // Inflates into out until it is full, the stream ends, the input runs out or zlib fails.
    TFill Fill(char* out, std::size_t size)
    {
        std::size_t done = 0;
        for (;;) {
            if (done == size)
                return TFill::Full;
            if (m_z.avail_in == 0 && m_pos < m_input.size()) {
                const std::size_t piece = std::min(MaxPiece, m_input.size() - m_pos);
                m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m_input.data() + m_pos));
                m_z.avail_in = static_cast<uInt>(piece);
                m_pos += piece;
            }
            const auto room = static_cast<uInt>(std::min(MaxPiece, size - done));
            m_z.next_out = reinterpret_cast<Bytef*>(out + done);
            m_z.avail_out = room;
            m_code = inflate(&m_z, Z_NO_FLUSH);
            done += room - m_z.avail_out;
            switch (m_code) {
            case Z_OK:
                break;
            case Z_STREAM_END:
                return done == size ? TFill::Full : TFill::Ended;
            case Z_BUF_ERROR:
                // No progress with room left: the input has run out before the stream's end.
                if (m_z.avail_in != 0)
                    return TFill::Failed;
                if (m_pos == m_input.size())
                    return TFill::Cut;
                break;
            default:
                return TFill::Failed;
            }
        }
    }

    [[nodiscard]] bool Ended() const { return m_code == Z_STREAM_END; }
    [[nodiscard]] std::string Cause() const { return ZlibText(m_z, m_code); }

private:
    z_stream m_z{};
    std::string_view m_input;
    std::size_t m_pos = 0;
    int m_code = Z_OK;
    bool m_started = false;
};

TInflateResult Refused(TInflate outcome, std::string_view error)
{
    TInflateResult result;
    result.Outcome = outcome;
    result.Error = error;
    return result;
}

TInflateResult Broken(TFill fill, const TInflater& inflater)
{
    switch (fill) {
    case TFill::Full:
        break;
    case TFill::Ended:
        return Refused(TInflate::Damaged, NoSizeError);
    case TFill::Cut:
        return Refused(TInflate::Damaged, "InflateStream: the stream is cut short");
    case TFill::Failed:
        return Refused(TInflate::Damaged, "InflateStream: damaged data (" + inflater.Cause() + ")");
    }
    return Refused(TInflate::Damaged, "InflateStream: damaged data");
}

THistoLoadResult LoadFailure(THistoLoad outcome, std::string message)
{
    THistoLoadResult result;
    result.Outcome = outcome;
    result.Message = std::move(message);
    return result;
}

} // namespace

std::string DeflateStream(std::string_view source)
{
    const auto n = static_cast<std::uint64_t>(source.size());
    if (n > UINT32_MAX)
        throw util::TError("DeflateStream: the text is longer than 4 GiB");
    const char header[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                            static_cast<char>((n >> 16) & 0xFF),
                            static_cast<char>((n >> 24) & 0xFF)};
    TDeflater deflater;
    // deflateBound's room is enough for the whole stream (zlib manual); Feed grows it otherwise.
    std::string out(deflater.Bound(source.size() + sizeof header), '\0');
    std::size_t produced = 0;
    deflater.Feed(std::string_view(header, sizeof header), Z_NO_FLUSH, out, produced);
    deflater.Feed(source, Z_FINISH, out, produced);
    out.resize(produced);
    return out;
}

TInflateResult TryInflateStream(std::string_view compressed)
{
    TInflater inflater(compressed);
    if (!inflater.Started())
        return Refused(TInflate::Damaged, "InflateStream: " + inflater.Cause());

    unsigned char header[4] = {};
    if (const auto fill = inflater.Fill(reinterpret_cast<char*>(header), sizeof header);
        fill != TFill::Full)
        return Broken(fill, inflater);
    const std::uint32_t n = header[0] | (std::uint32_t{header[1]} << 8) |
                            (std::uint32_t{header[2]} << 16) | (std::uint32_t{header[3]} << 24);
    if (n > MaxHistoBytes)
        return Refused(TInflate::TooLarge, TooLargeError);
    if (std::uint64_t{n} + sizeof header > std::uint64_t{MaxInflateRatio} * compressed.size())
        return Refused(TInflate::Damaged, "InflateStream: " + std::to_string(n) +
                                              " bytes announced, more than a stream of " +
                                              std::to_string(compressed.size()) +
                                              " bytes can hold");

    TInflateResult result;
    auto fill = TFill::Full;
    ResizeForOverwrite(result.Bytes, n,
                       [&](char* data, std::size_t size) { fill = inflater.Fill(data, size); });
    if (fill != TFill::Full)
        return Broken(fill, inflater);
    // The Adler-32 is checked only at the end of the stream, and anything past N means the
    // size is wrong: both need one more step.
    if (!inflater.Ended()) {
        char extra = 0;
        switch (const auto fill = inflater.Fill(&extra, 1)) {
        case TFill::Ended:
            break;
        case TFill::Full:
            return Refused(TInflate::Damaged, "InflateStream: more data than the " +
                                                  std::to_string(n) + " bytes announced");
        case TFill::Cut:
        case TFill::Failed:
            return Broken(fill, inflater);
        }
    }
    result.Outcome = TInflate::Inflated;
    return result;
}

std::string InflateStream(std::string_view compressed)
{
    auto result = TryInflateStream(compressed);
    switch (result.Outcome) {
    case TInflate::Inflated:
        return std::move(result.Bytes);
    case TInflate::Damaged:
    case TInflate::TooLarge:
        break;
    }
    throw util::TError(result.Error);
}

void SaveCompressedText(std::string_view text, const std::filesystem::path& path,
                        const util::TAtomicWriteHooks& hooks)
{
    if (text.size() > MaxHistoBytes)
        throw util::TError(util::CannotWrite(util::FileCause(
            path, "the history holds " + std::to_string(text.size()) + " bytes, more than the " +
                      std::to_string(MaxHistoBytes) + " a history file can give back")));
    std::string compressed;
    try {
        compressed = DeflateStream(text);
    } catch (const util::TError& e) {
        // zlib's words alone would not say which file was not saved.
        throw util::TError(util::CannotWrite(util::FileCause(path, e.what())));
    }
    util::WriteFileAtomically(path, compressed, hooks);
}

THistoLoadResult ReadCompressedText(const std::filesystem::path& path)
{
    auto file = util::ReadFileShared(path, MaxStreamBytes);
    switch (file.Outcome) {
    case util::TFileRead::Read:
        break;
    case util::TFileRead::Missing:
        return LoadFailure(THistoLoad::Missing, "");
    case util::TFileRead::Failed: {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > MaxStreamBytes)
            return LoadFailure(
                THistoLoad::TooLarge,
                util::CannotRead(util::FileCause(path, "the file is too large (" +
                                                           std::to_string(size) + " bytes)")));
        return LoadFailure(THistoLoad::Damaged, util::CannotRead(file.Message));
    }
    }
    if (file.Bytes.empty())
        return LoadFailure(THistoLoad::Damaged,
                           util::CannotRead(util::FileCause(path, "the file is empty")));

    auto inflated = TryInflateStream(file.Bytes);
    switch (inflated.Outcome) {
    case TInflate::Inflated:
        break;
    case TInflate::Damaged:
        return LoadFailure(THistoLoad::Damaged,
                           util::CannotRead(util::FileCause(path, inflated.Error)));
    case TInflate::TooLarge:
        return LoadFailure(THistoLoad::TooLarge,
                           util::CannotRead(util::FileCause(path, inflated.Error)));
    }

    THistoLoadResult result;
    result.Outcome = THistoLoad::Loaded;
    result.Text = std::move(inflated.Bytes);
    return result;
}

std::string LoadCompressedText(const std::filesystem::path& path)
{
    auto result = ReadCompressedText(path);
    switch (result.Outcome) {
    case THistoLoad::Loaded:
        return std::move(result.Text);
    case THistoLoad::Missing:
        throw util::TError(util::CannotRead(util::FileCause(path, ENOENT)));
    case THistoLoad::Damaged:
    case THistoLoad::TooLarge:
        break;
    }
    throw util::TError(result.Message);
}

} // namespace korvid::history
