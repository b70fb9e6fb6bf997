// Starts a program through the desktop shell, as the signed-in user.
// False when there is no such shell to ask (no Explorer, or Wine).
#pragma once

bool LaunchAsUser(const char* program);
