#include "kinematics/rsg_writer.h"

#include <string>

void write_rsg_lines(FILE* f, const rsg_line_t* lines, int n)
{
    for (int i = 0; i < n; ++i) {
        if (lines[i].value)
            fprintf(f, lines[i].text, *lines[i].value);
        else
            fputs(lines[i].text, f);
    }
}

void write_rsg_text(FILE* f, const char* const* lines, int n)
{
    for (int i = 0; i < n; ++i) fputs(lines[i], f);
}

FILE* open_rsg_output(const char* dir, const char* name)
{
    std::string path(dir);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return fopen(path.c_str(), "w");
}

bool append_rsg_tail(FILE* out, const char* tail)
{
    FILE* in = fopen(tail, "r");
    if (in == nullptr) return false;
    char piece[1024];
    while (fgets(piece, sizeof(piece), in) != nullptr) fputs(piece, out);
    fclose(in);
    return true;
}

void copy_rsg_tail(FILE* out, const char* tail, const char* who)
{
    if (!append_rsg_tail(out, tail)) fprintf(stderr, "%s::write_end fopen %s FAILED\n", who, tail);
}

void write_limb_rsg_begin(FILE* f)
{
    static const char* const lines[] = {
        "; -*- mode: lisp; -*-\n\n",
        "(RSG 0 1)\n",
        "(\n",
        "    ;\n",
        "    ;Template\n",
        "    ;@param LRFactor is (left_leg ? -1 : 1)\n",
        "    ;    \n",
        "    (templ  $LRFactor $LeftOrRight\n",
        "            $Torso_X $Torso_Y $Torso_Z $loadObj\n",
        "            $type\n",
        "    )\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}

void write_limb_rsg_joint_head(FILE* f)
{
    static const char* const lines[] = {
        "    ;\n",
        "    ;Joint Parameters\n",
        "    ;\n",
        "    (def $PI 3.14159265)\n",
        "    (def $MaxAbsJointSpeed (eval $PI * (eval 351.77 / 180.0)))\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}
