// Pieces shared by the writers of the simulator's robot-description (RSG)
// files, which the leg, arm and neck body parameters write themselves back
// out as: a block is a list of lines, each written as it is or, with a
// value, as the format it holds.
#ifndef BREVANE_KINEMATICS_RSG_WRITER_H
#define BREVANE_KINEMATICS_RSG_WRITER_H

#include <cstdio>

// Where the writers put their files unless told otherwise: the Nao
// descriptions of the simulator's installation.
#define NAO_RSG_INSTALL_DIR "/opt/rcssserver3d/share/rcssserver3d/rsg/agent/nao/"

struct rsg_line_t {
    const char* text;    // the line, or its format when value is set
    const float* value;  // null: the text is written as it is
};

void write_rsg_lines(FILE* f, const rsg_line_t* lines, int n);
void write_rsg_text(FILE* f, const char* const* lines, int n);

template <int N>
void write_rsg_lines(FILE* f, const rsg_line_t (&lines)[N])
{
    write_rsg_lines(f, lines, N);
}
template <int N>
void write_rsg_text(FILE* f, const char* const (&lines)[N])
{
    write_rsg_text(f, lines, N);
}

// dir + "/" + name opened for writing (truncated); null when it cannot be.
FILE* open_rsg_output(const char* dir, const char* name);

// Copies the tail file (relative to the working directory) to the end of
// out, line by line; when it cannot be opened, says so as
// "<who>::write_end fopen <tail> FAILED" and leaves out as it is.
void copy_rsg_tail(FILE* out, const char* tail, const char* who);
// The same without the message: false when the tail cannot be opened.
bool append_rsg_tail(FILE* out, const char* tail);

// A leg's or arm's description file: its blocks in order, then its tail.
// When the file cannot be opened, failure is said and nothing written.
template <class Limb>
void write_limb_rsg_file(Limb& limb, const char* dir, const char* name, const char* failure)
{
    FILE* f = open_rsg_output(dir, name);
    if (f == nullptr) {
        fputs(failure, stderr);
        return;
    }
    limb.write_begin(f);
    limb.write_names(f);
    limb.write_position_param(f);
    limb.write_size_mass(f);
    limb.write_joint(f);
    limb.write_end(f);
    fclose(f);
}

// The header of the leg and arm templates: one file serves both sides,
// $LRFactor -1 for the left limb and 1 for the right.
void write_limb_rsg_begin(FILE* f);
// The start of their joint blocks: the joints' common top speed.
void write_limb_rsg_joint_head(FILE* f);

#endif
