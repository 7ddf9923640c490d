#include "logger/user_prompt.h"

namespace {
CUserPrompt* g_prompt = nullptr;
}

void InstallUserPrompt(CUserPrompt* prompt) {
    g_prompt = prompt;
}

CUserPrompt* GetUserPrompt() {
    return g_prompt;
}
