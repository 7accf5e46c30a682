#include "bench/protocol/ReceiverOutput.h"

#include "protocol/NmeaSentence.h"

namespace {

std::string Sentence(const char* body) {
    return AppendNmeaChecksum(body) + "\r\n";
}

std::string OneSecond() {
    std::string second;
    for (const char* body : {
             "$GPRMC,092751.000,A,5321.6802,N,00630.3371,W,0.06,31.66,280511,,,A*",
             "$GPVTG,31.66,T,,M,0.06,N,0.1,K,A*",
             "$GPGGA,092751.000,5321.6802,N,00630.3371,W,1,8,1.03,61.7,M,55.3,M,,*",
             "$GPGSA,A,3,10,07,05,02,29,04,08,13,,,,,1.72,1.03,1.38*",
             "$GPGSV,3,1,11,10,63,137,17,07,61,098,15,05,59,290,20,08,54,157,30*",
             "$GPGSV,3,2,11,02,39,223,19,13,28,070,17,26,23,252,,04,14,186,14*",
             "$GPGSV,3,3,11,29,09,301,24,16,09,020,,36,,,*",
             "$GPGLL,5321.6802,N,00630.3371,W,092751.000,A,A*",
             "$GPZDA,092751.000,28,05,2011,00,00*",
             "$PUBX,00,092751.00,5321.68020,N,00630.33710,W,61.7,G3,2.1,2.9,0.1,31.66,0.0,,"
             "1.03,1.38,0.92,8,0,0*",
             "$PUBX,04,092751.00,280511,120471.00,1641,15,-468940,-145.286,21*",
         })
        second += Sentence(body);
    return second;
}

} // namespace

std::string ReceiverOutput(std::size_t size) {
    const std::string second = OneSecond();
    std::string output;
    output.reserve(size + second.size());
    while (output.size() < size)
        output += second;
    output.resize(size);
    return output;
}
