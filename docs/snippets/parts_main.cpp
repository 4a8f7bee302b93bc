// Links the guide's program parts into one executable; nothing runs them.
int main() { return 0; }
