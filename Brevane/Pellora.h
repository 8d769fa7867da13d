#ifndef BREVANE_PELLORA_H
#define BREVANE_PELLORA_H

// The carried Pellora tool: an xz-compressed tar image linked into the
// executable at build time (the build parameter names which archive). Its
// length comes from the linker, so any archive can be carried unchanged.
extern "C" {
extern const unsigned char Pellora[];
extern const unsigned long Pellora_len;
}

#endif
