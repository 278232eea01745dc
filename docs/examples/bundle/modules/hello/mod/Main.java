package hello.mod;

import java.util.logging.Logger;

public class Main {
  public static void main(String[] args) {
    Logger.getLogger("hello").fine("started");
    System.out.println("module " + Main.class.getModule().getName() + " on Java "
        + Runtime.version().feature());
    for (String arg : args) System.out.println("argument: " + arg);
  }
}
