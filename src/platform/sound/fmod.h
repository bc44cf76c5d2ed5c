#pragma once
// The sound-library calls the music player makes, with FMOD Ex's names, argument order, result
// codes and constants. This project implements them on libopenmpt, SDL2 audio and kissfft.

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FMOD_SYSTEM FMOD_SYSTEM;
typedef struct FMOD_SOUND FMOD_SOUND;
typedef struct FMOD_CHANNEL FMOD_CHANNEL;
typedef struct FMOD_CREATESOUNDEXINFO FMOD_CREATESOUNDEXINFO;

typedef int FMOD_BOOL;
typedef unsigned int FMOD_MODE;
typedef unsigned int FMOD_TIMEUNIT;
typedef unsigned int FMOD_INITFLAGS;

typedef enum {
    FMOD_OK = 0,
    FMOD_ERR_FILE_BAD = 13,
    FMOD_ERR_FILE_NOTFOUND = 18,
    FMOD_ERR_FORMAT = 25,
    FMOD_ERR_INITIALIZATION = 32,
    FMOD_ERR_INVALID_HANDLE = 36,
    FMOD_ERR_INVALID_PARAM = 37,
    FMOD_ERR_MEMORY = 43,
    FMOD_ERR_OUTPUT_INIT = 60,
} FMOD_RESULT;

typedef enum {
    FMOD_CHANNEL_FREE = -1,
    FMOD_CHANNEL_REUSE = -2,
} FMOD_CHANNELINDEX;

typedef enum {
    FMOD_DSP_FFT_WINDOW_RECT = 0,
} FMOD_DSP_FFT_WINDOW;

#define FMOD_INIT_NORMAL 0x00000000u
#define FMOD_LOOP_OFF 0x00000001u
#define FMOD_2D 0x00000008u
#define FMOD_SOFTWARE 0x00000040u
#define FMOD_TIMEUNIT_MS 0x00000001u
#define FMOD_VERSION 0x00042809u

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system);
FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM* system, unsigned int* version);
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxchannels, FMOD_INITFLAGS flags, void* extradriverdata);
FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM* system, const char* name_or_data, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound);
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelid, FMOD_SOUND* sound, FMOD_BOOL paused,
                                  FMOD_CHANNEL** channel);
FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL* channel, unsigned int* position, FMOD_TIMEUNIT postype);
FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL* channel, unsigned int position, FMOD_TIMEUNIT postype);
FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM* system);
FMOD_RESULT FMOD_System_GetSpectrum(FMOD_SYSTEM* system, float* spectrumarray, int numvalues, int channeloffset,
                                    FMOD_DSP_FFT_WINDOW windowtype);
FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT lengthtype);
FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound);
FMOD_RESULT FMOD_System_Close(FMOD_SYSTEM* system);
FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system);

#ifdef __cplusplus
}
#endif
