// Run by the test fixture before any test: undoes what test processes that
// died left behind in the tests' prefix.
#include "support/RegValues.h"

#include <cstdio>

int main()
{
    printf("%d registry journal(s) of dead test processes undone\n", TestLeftoversUndo());
    return 0;
}
