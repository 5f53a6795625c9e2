/* Prints the report of the seed given on the command line, from C. */
#include <orrery/orrery_c.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    orrery_system *s;
    size_t length;
    char *text;
    if (argc != 2) return 2;
    s = orrery_system_new((uint32_t)strtoul(argv[1], NULL, 10));
    if (!s) return 1;
    length = orrery_system_report(s, NULL, 0);
    text = malloc(length + 1);
    if (!text) return 1;
    orrery_system_report(s, text, length + 1);
    fwrite(text, 1, length, stdout);
    free(text);
    orrery_system_free(s);
    return 0;
}
