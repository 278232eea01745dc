import java.util.Map;
import java.util.TreeMap;

/**
 * A small application that reports what it was started with: its arguments,
 * its class path, the runtime it runs on and every system property whose
 * name begins with "demo.". An argument "--exit=N" makes it end with status N.
 */
public class Demo {
  public static void main(String[] args) {
    System.out.println("Demo started on Java " + System.getProperty("java.version"));
    System.out.println("java.home: " + System.getProperty("java.home"));
    System.out.println("working directory: " + System.getProperty("user.dir"));
    System.out.println("class path: " + System.getProperty("java.class.path"));
    System.out.println("max heap MiB: " + Runtime.getRuntime().maxMemory() / (1024 * 1024));
    Map<String, String> properties = new TreeMap<>();
    for (String name : System.getProperties().stringPropertyNames()) {
      if (name.startsWith("demo.")) {
        properties.put(name, System.getProperty(name));
      }
    }
    for (Map.Entry<String, String> property : properties.entrySet()) {
      System.out.println("property " + property.getKey() + " = " + property.getValue());
    }
    System.out.println("arguments: " + args.length);
    int status = 0;
    for (String arg : args) {
      System.out.println("argument: " + arg);
      if (arg.startsWith("--exit=")) {
        status = Integer.parseInt(arg.substring("--exit=".length()));
      }
    }
    System.out.flush();
    System.exit(status);
  }
}
