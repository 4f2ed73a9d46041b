#include "WaveErrorText.h"

const char* WaveErrorText(uint32_t result) {
  switch (result) {
    case 0: return "";
    case 2: return "Device ID is out of range";
    case 3: return "Driver not enabled";
    case 4: return "Device already allocated";
    case 5: return "Device handle is invalid";
    case 6: return "No device driver present";
    case 7: return "Memory allocation error";
    case 8: return "Function is not supported";
    case 9: return "Error value is out of range";
    case 10: return "Invalid flag passed";
    case 11: return "Invalid parameter passed";
    case 12: return "Handle being used symultaneously on another thread (eg callback)";
    case 13: return "Specified alias not found";
    case 14: return "Bad registry database";
    case 15: return "Registry key not found";
    case 16: return "Registry read error";
    case 17: return "Registry write error";
    case 18: return "Registry delete error";
    case 19: return "Registry value not found";
    case 20: return "Driver does not call DriverCallback / Last error in range";
    case 32: return "Unsupported wave format";
    case 33: return "Audio still playing";
    case 34: return "Header not prepared";
    case 35: return "Device is synchronous / Last error in range";
    default: return "Unspecified Error";
  }
}
