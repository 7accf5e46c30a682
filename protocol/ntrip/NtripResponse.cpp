#include "protocol/ntrip/NtripResponse.h"

#include "protocol/configfiles/Blanks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace ntrip {
namespace {
// A status line and headers longer than this are no caster's.
constexpr std::size_t kMaxHead = 16 * 1024;
// The largest sourcetable kept; the biggest public casters list well under it.
constexpr std::size_t kMaxSourcetable = 8 * 1024 * 1024;
constexpr std::string_view kTableEnd = "ENDSOURCETABLE";

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The status code after the protocol word: "ICY 200 OK" → 200; 0 for none.
int CodeOf(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return 0;
    const std::string_view rest = ubx::TrimBlanks(line.substr(space + 1));
    int code = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
    return error == std::errc() && end - rest.data() == 3 ? code : 0;
}

// Takes one line from text, without its CR LF; none while the line runs on.
std::optional<std::string> TakeLine(std::string& text) {
    const std::size_t end = text.find('\n');
    if (end == std::string::npos)
        return std::nullopt;
    std::string line = text.substr(0, end);
    text.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}
} // namespace

void Response::NotCaster(const std::string& error) {
    kind_ = Kind::NotNtrip;
    error_ = error;
}

void Response::Feed(std::string_view bytes, std::string& data) {
    if (kind_ == Kind::Refused || kind_ == Kind::NotNtrip)
        return;
    if (kind_ != Kind::Waiting) {
        TakeBody(bytes, data);
        return;
    }
    head_.append(bytes);
    if (!statusTaken_)
        TakeStatusLine();
    if (statusTaken_ && headersPending_)
        TakeHeaders();
    if (kind_ == Kind::Waiting && head_.size() > kMaxHead)
        NotCaster("its answer has no end of headers within " + std::to_string(kMaxHead) + " bytes");
    if (kind_ == Kind::Stream || kind_ == Kind::Sourcetable)
        TakeBody(std::exchange(head_, {}), data);
}

void Response::Close(std::string& data) {
    if (kind_ == Kind::Waiting && (statusTaken_ || !head_.empty()))
        Feed("\r\n\r\n", data);
}

void Response::TakeStatusLine() {
    const std::optional<std::string> line = TakeLine(head_);
    if (!line)
        return;
    statusTaken_ = true;
    statusLine_ = *line;
    statusCode_ = CodeOf(statusLine_);
    if (statusLine_.starts_with("ICY ")) {
        kind_ = statusCode_ == 200 ? Kind::Stream : Kind::Refused;
        return;
    }
    if (statusLine_.starts_with("SOURCETABLE ") || statusLine_.starts_with("HTTP/")) {
        sourcetable_ = statusLine_.starts_with("SOURCETABLE ");
        headersPending_ = true;
        return;
    }
    NotCaster("it answered \"" + statusLine_.substr(0, 80) + "\", which no NTRIP caster does");
}

void Response::TakeHeaders() {
    while (const std::optional<std::string> line = TakeLine(head_)) {
        if (!line->empty()) {
            const std::size_t colon = line->find(':');
            if (colon == std::string::npos)
                continue;
            const std::string name =
                Lower(ubx::TrimBlanks(std::string_view(*line).substr(0, colon)));
            const std::string value =
                Lower(ubx::TrimBlanks(std::string_view(*line).substr(colon + 1)));
            if (name == "transfer-encoding")
                chunked_ = value.find("chunked") != std::string::npos;
            else if (name == "content-type" && value.starts_with("gnss/sourcetable"))
                sourcetable_ = true;
            else if (name == "content-type" && value.starts_with("text/html"))
                error_ = "it answered with a web page, not an NTRIP stream";
            else if (name == "content-length") {
                std::size_t length = 0;
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), length);
                if (error == std::errc() && end == value.data() + value.size())
                    contentLength_ = length;
            }
            continue;
        }
        headersPending_ = false;
        if (statusCode_ != 200)
            kind_ = Kind::Refused;
        else if (sourcetable_)
            kind_ = Kind::Sourcetable;
        else if (!error_.empty())
            kind_ = Kind::NotNtrip;
        else
            kind_ = Kind::Stream;
        return;
    }
}

void Response::TakeBody(std::string_view bytes, std::string& data) {
    if (kind_ == Kind::Sourcetable) {
        TakeSourcetable(bytes);
        return;
    }
    if (!chunked_) {
        data.append(bytes);
        return;
    }
    if (!chunks_.Feed(bytes, data))
        NotCaster("its chunked stream broke off: " + chunks_.Error());
}

void Response::TakeSourcetable(std::string_view bytes) {
    if (complete_)
        return;
    const std::size_t before = body_.size();
    if (chunked_) {
        if (!chunks_.Feed(bytes, body_)) {
            NotCaster("its chunked sourcetable broke off: " + chunks_.Error());
            return;
        }
        complete_ = chunks_.Finished();
    } else {
        if (contentLength_)
            bytes = bytes.substr(0, *contentLength_ - std::min(*contentLength_, body_.size()));
        body_.append(bytes);
        complete_ = contentLength_ && body_.size() >= *contentLength_;
    }
    // The end line, whole with its line end, may have come split over the
    // last feed and this one.
    const std::size_t back = kTableEnd.size() + 2;
    const std::size_t end = body_.find(kTableEnd, before > back ? before - back : 0);
    if (end != std::string::npos && body_.find('\n', end) != std::string::npos)
        complete_ = true;
    if (body_.size() > kMaxSourcetable) {
        body_.resize(kMaxSourcetable);
        complete_ = true;
    }
}

} // namespace ntrip
