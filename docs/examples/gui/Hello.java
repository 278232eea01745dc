import java.util.TreeSet;

/** Greets, then shows what the launcher handed it. "--exit=N" ends it with status N. */
public class Hello {
  public static void main(String[] args) {
    System.out.println("Hello from Java " + Runtime.version().feature());
    for (String name : new TreeSet<>(System.getProperties().stringPropertyNames())) {
      if (name.startsWith("hello.") || name.equals("kvx.service")) {
        System.out.println(name + " = " + System.getProperty(name));
      }
    }
    int status = 0;
    for (String arg : args) {
      System.out.println("argument: " + arg);
      if (arg.startsWith("--exit=")) status = Integer.parseInt(arg.substring(7));
    }
    System.exit(status);
  }
}
