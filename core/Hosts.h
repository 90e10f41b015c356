#pragma once
// Host applications the plug-in recognises by their product name.

enum EHost
{
  kHostUninit = -1, // not identified yet
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostReserved10 = 10,
  kHostReserved11 = 11,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostReserved19 = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,

  kNumHosts
};

// Classifies a product name by the first known substring it contains, ignoring case.
EHost LookUpHost(const char* name);
// Display name of a code; out holds at least 19 bytes.
void GetHostNameStr(EHost code, char* out);
