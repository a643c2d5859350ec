// zebtool submit: what pressing a form button would do, without sending.
#pragma once

// argv: zebtool submit FILE PAGE BUTTON [options]; returns the exit status.
int RunSubmit(int argc, char** argv);
