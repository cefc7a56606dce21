<?xml version="1.0" encoding="UTF-8"?>
<!-- Device information summary: each device's properties and property tables. As a CSV table. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="csv.xsl"/>
</xsl:stylesheet>
