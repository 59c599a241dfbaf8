// SPDX-License-Identifier: GPL-3.0-or-later
// Placeholder so that an empty layer still makes a library.
