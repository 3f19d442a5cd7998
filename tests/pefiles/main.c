/* The smallest program a version resource can be attached to. */
int main(void) {
    return 0;
}
