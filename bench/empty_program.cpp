// The start-up baseline of the benchmark: a C++ program that does nothing,
// built and started the way orvo is.
int main() { return 0; }
