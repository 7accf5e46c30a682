#pragma once
// A caster's answer, read as it arrives in pieces split anywhere:
//   "ICY 200 OK" CR LF, then the stream (NTRIP 1);
//   "HTTP/1.x 200 OK", headers, blank line, then the stream, chunked when
//   the headers say so (NTRIP 2), or the sourcetable when its type is
//   gnss/sourcetable;
//   "SOURCETABLE 200 OK", headers, blank line, the table up to
//   "ENDSOURCETABLE" (NTRIP 1: a mountpoint the caster does not have);
//   any other status ("HTTP/1.0 401 Unauthorized") ends the request.

#include "protocol/ntrip/ChunkedDecoder.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ntrip {

class Response {
public:
    enum class Kind {
        Waiting,     // the status or the headers are still coming
        Stream,      // the mountpoint's data follows
        Sourcetable, // the caster sent its sourcetable
        Refused,     // another status: StatusCode and StatusLine tell
        NotNtrip,    // the answer is none a caster gives: Error tells
    };

    // Takes the caster's next bytes; the stream's data (unchunked) is
    // appended to data.
    void Feed(std::string_view bytes, std::string& data);
    // The caster closed the connection: a status line or headers it left
    // without their end are read as they are (casters send
    // "HTTP/1.0 401 Unauthorized" CR LF and close).
    void Close(std::string& data);

    Kind kind() const { return kind_; }
    // "HTTP/1.0 401 Unauthorized", as sent; 0 while unknown.
    const std::string& StatusLine() const { return statusLine_; }
    int StatusCode() const { return statusCode_; }
    // The sourcetable's text as far as it came.
    const std::string& Body() const { return body_; }
    // The sourcetable is whole: its end line, its length or its last chunk came.
    bool Complete() const { return complete_; }
    // Why the answer is no caster's, or why its chunked stream broke off.
    const std::string& Error() const { return error_; }

private:
    void TakeStatusLine();
    void TakeHeaders();
    void TakeBody(std::string_view bytes, std::string& data);
    void TakeSourcetable(std::string_view bytes);
    void NotCaster(const std::string& error);

    Kind kind_ = Kind::Waiting;
    std::string head_; // the status line and headers, until their end
    bool statusTaken_ = false;
    bool headersPending_ = false; // the headers still run
    bool sourcetable_ = false;    // the body is a sourcetable
    bool chunked_ = false;
    std::optional<std::size_t> contentLength_;
    ChunkedDecoder chunks_;
    std::string statusLine_;
    int statusCode_ = 0;
    std::string body_;
    bool complete_ = false;
    std::string error_;
};

} // namespace ntrip
