// Runs the protocol fuzz target without libFuzzer: with file arguments it
// replays those inputs (a crash reproducer or a corpus); without, it feeds a
// fixed-seed stream of receiver-like and random inputs for a bounded time.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::string_view kTokens[] = {
    "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76",
    "$PUBX,00",
    "$PUBX,03,2,5,U,284,19,38,064,70,-,057,42,33,010*",
    "$GLGSV,3,1,09,70,42,057,33,71,,,29,1*",
    "$GNGSA,A,3,80,70,,,,,,,,,,,1.71,1.01,1.38,2*",
    "$GNRMC,000941.00,A,4404.14036,N,12118.85961,W,10.0,77.5,100117,,,A,V*",
    std::string_view("\xB5\x62\x05\x01\x02\x00\x06\x13\x21\x4A", 10),
    std::string_view("\xB5\x62\x01\x35\x14\x00", 6),
    // RTCM 3: a whole 1005 frame, the header of an MSM4 and an empty frame.
    "\xD3\x00\x13\x3E\xD7\xD3\x02\x02\x98\x0E\xDE\xEF\x34\xB4\xBD\x62\xAC\x09\x41\x98\x6F\x33"
    "\x36\x0B\x98",
    std::string_view("\xD3\x00\xA0\x43\x20", 5),
    std::string_view("\xD3\x00\x00\x47\xEA\x4B", 6),
    "$PUBX,40,GGA,1,1,1,1,1,0*5B",
    "\r\n",
    "\r",
    "\n",
    "|",
    "\"",
    "\"\"",
    " ",
    "\t",
    "#",
    "0x",
    "$",
    "-",
    "+",
    "255",
    "256",
    "300",
    "99999999999",
    "2147483648",
    "-13-10-",
    "-D-A-",
    "<CR><LF>",
    std::string_view("\0", 1),
    "\xB5\x62",
    "\xFF",
    ",",
    "*",
};

std::string NextInput(std::mt19937& random) {
    std::string input;
    const std::size_t pieces = random() % 64;
    for (std::size_t i = 0; i < pieces; ++i) {
        if (random() % 3 == 0) {
            const std::size_t bytes = random() % 16;
            for (std::size_t b = 0; b < bytes; ++b)
                input += static_cast<char>(random() & 0xFF);
        } else {
            input += kTokens[random() % std::size(kTokens)];
        }
    }
    return input;
}

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            std::ifstream file(argv[i], std::ios::binary);
            Run(std::string(std::istreambuf_iterator<char>(file), {}));
        }
        std::printf("replayed %d inputs\n", argc - 1);
        return 0;
    }
    constexpr auto kBudget = std::chrono::seconds(3);
    constexpr long kMaxInputs = 200000;
    std::mt19937 random(20261207);
    const auto start = std::chrono::steady_clock::now();
    long count = 0;
    while (count < kMaxInputs && std::chrono::steady_clock::now() - start < kBudget) {
        Run(NextInput(random));
        ++count;
    }
    std::printf("ran %ld generated inputs\n", count);
    return 0;
}
