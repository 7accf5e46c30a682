#pragma once
// What a program listening at the wrong bit rate receives instead of the
// receiver's bytes: noise, fewer bytes when it listens slower than the
// receiver talks. The noise never holds "$" or the UBX sync byte 0xB5, so no
// sentence or frame can ever be found in it.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

class LineNoise {
public:
    explicit LineNoise(unsigned seed = 1) : random_(seed) {}

    std::string Garble(std::string_view sent, std::uint32_t talkRate, std::uint32_t listenRate);

private:
    std::minstd_rand random_;
};

// Whether a listener at listenRate reads a talker at talkRate correctly: a
// UART copes with rates a couple of per cent apart.
bool RatesAgree(std::uint32_t talkRate, std::uint32_t listenRate);
