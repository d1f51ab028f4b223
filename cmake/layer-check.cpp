// Linked with one whole layer library and nothing but what that layer may use.
int main() { return 0; }
