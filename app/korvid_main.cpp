#include "window/korvid_app.h"

int main(int argc, char** argv)
{
    return korvid::window::RunKorvid(argc, argv);
}
