#pragma once
// RTCM 3 frames as a base station sends them, for the tests that feed a
// rover: the base's position (1005) and the header of an observation
// message (MSM), which is all the simulated rover reads of them.

#include <array>
#include <string>

// 1005: the station's antenna reference point, ECEF metres.
std::string Rtcm1005Frame(int station, const std::array<double, 3>& ecefMetres);
// An MSM header of the given type (1074, 1084, ...) for one satellite and
// one signal, its data left out.
std::string MsmFrame(int messageType, int station);
