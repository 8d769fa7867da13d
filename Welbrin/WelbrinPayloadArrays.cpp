// The payload bytes, linked in from the archives through the assembler.

#include "WelbrinPayload.h"

extern "C" {
extern const unsigned char welbrin_tool_archive[];
extern const unsigned long welbrin_tool_archive_len;
extern const unsigned char welbrin_top_config[];
extern const unsigned long welbrin_top_config_len;
extern const unsigned char welbrin_java_archive[];
extern const unsigned long welbrin_java_archive_len;
}

WelbrinPayload CarriedPayload()
{
    return WelbrinPayload{
        {welbrin_tool_archive, welbrin_tool_archive_len},
        {welbrin_top_config, welbrin_top_config_len},
        {welbrin_java_archive, welbrin_java_archive_len},
    };
}
