module hello.mod {
  requires java.logging;
}
