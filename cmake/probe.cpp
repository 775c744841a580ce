int main() { return 0; } // Tells whether this machine runs programs of the build's kind.
