#include "bootstrap/launcher_state.h"

char temp_directory[temp_directory_size];
char mode_letter;
