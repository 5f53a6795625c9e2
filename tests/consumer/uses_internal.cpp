// Reaches into the library's private headers; a consumer must not be able to.
#include "accretion/accretion.h"

int main() { return 0; }
