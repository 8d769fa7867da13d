#ifndef WELBRIN_PAYLOAD_H
#define WELBRIN_PAYLOAD_H

// The archives Welbrin carries inside the executable.

struct CarriedBlob {
    const unsigned char* data;
    unsigned long length;
};

struct WelbrinPayload {
    CarriedBlob toolArchive;  // xz tar: WelbrinBin/bin/... and the tools' bundle
    CarriedBlob topConfig;    // the carried top's toprc
    CarriedBlob javaArchive;  // gzip tar: async-profiler-3.0-linux-x64/...
};

// The payload linked into this executable.
WelbrinPayload CarriedPayload();

#endif
