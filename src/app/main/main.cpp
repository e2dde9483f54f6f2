// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Program.h"

int main(int argc, char **argv)
{
    return RunRufwerk(argc, argv);
}
